#pragma once

#include "analysis/StormReport.h"
#include "analysis/Storms.h"
#include "analysis/Summaries.h"
#include "views/TChild.h"

#include <QStringList>
#include <vector>

class QComboBox;
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

    QTabWidget* Tabs() const { return m_tabs; }
    QTableWidget* StormTable() const { return m_storms; }
    QTableWidget* MonthTable() const { return m_months; }
    QTableWidget* YearTable() const { return m_years; }
    QSpinBox* SeparationBox() const { return m_separation; }
    QComboBox* EnergyBox() const { return m_energy; }
    const std::vector<Analysis::Storm>& Storms() const { return m_found; }
    // The printout's header: title, data set, collector and options, date.
    QStringList PrintHeader() const;
    QString CopyText() const;

private:
    void optionsChanged();
    static void fill(QTableWidget* table, const QStringList& columns,
                     const std::vector<StormReport::Row>& rows);

    QTabWidget* m_tabs = nullptr;
    QTableWidget* m_storms = nullptr;
    QTableWidget* m_months = nullptr;
    QTableWidget* m_years = nullptr;
    QSpinBox* m_separation = nullptr;
    QComboBox* m_energy = nullptr;
    Analysis::StormOptions m_options;
    std::vector<Analysis::Storm> m_found;
    Analysis::Summaries m_summaries;
};
