#pragma once

#include "analysis/StormReport.h"
#include "analysis/Storms.h"
#include "analysis/Summaries.h"
#include "analysis/TableStorms.h"
#include "views/TChild.h"

#include <QStringList>
#include <vector>

class QComboBox;
class QLabel;
class QMenu;
class QPrinter;
class QSpinBox;
class QTabWidget;
class QTableWidget;

// The storms window: the storms of the tables with their peak intensities and erosivity, and the
// monthly and yearly summaries, under a strip with the analysis options.
class TChildStorms : public TChild {
    Q_OBJECT
public:
    explicit TChildStorms(ChildHost* host, QWidget* parent = nullptr);

    // Analyses the tables again (after a download, a load, a collector change, new options).
    void UpdateStorms();
    // The current tab's selected rows (every row when none is selected) as tab-separated text.
    void CopyToClipboard();
    void SelectAll();
    void DoPrint(QPrinter* printer);
    // Hands the days of the storm shown in `row` of the storm table to the graph windows.
    void ShowStormDays(int row);
    // Shows the storm in `row` in the open hyetograph windows, or in a new one when none is open.
    void ShowHyetograph(int row);

    QTabWidget* Tabs() const { return m_tabs; }
    QTableWidget* StormTable() const { return m_storms; }
    QTableWidget* MonthTable() const { return m_months; }
    QTableWidget* YearTable() const { return m_years; }
    QSpinBox* SeparationBox() const { return m_separation; }
    QComboBox* EnergyBox() const { return m_energy; }
    const std::vector<Analysis::Storm>& Storms() const { return m_found.Storms; }
    const Analysis::TableStorms& Found() const { return m_found; }
    // Whether accepted flags were left out, and the correction, as the window says it.
    QLabel* QualityLine() const { return m_quality; }
    QMenu* StormMenu() const { return m_stormMenu; }
    // The printout's header: title, data set, collector and options, date.
    QStringList PrintHeader() const;
    QString CopyText() const;

private:
    void optionsChanged();
    // The storm shown in `row` of the storm table, or nullptr.
    const Analysis::Storm* stormAt(int row) const;
    static void fill(QTableWidget* table, const QStringList& columns,
                     const std::vector<StormReport::Row>& rows);

    QTabWidget* m_tabs = nullptr;
    QTableWidget* m_storms = nullptr;
    QTableWidget* m_months = nullptr;
    QTableWidget* m_years = nullptr;
    QSpinBox* m_separation = nullptr;
    QComboBox* m_energy = nullptr;
    Analysis::StormOptions m_options;
    QLabel* m_quality = nullptr;
    QMenu* m_stormMenu = nullptr;
    Analysis::TableStorms m_found;
};
