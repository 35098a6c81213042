#pragma once

#include "analysis/Storms.h"
#include "data/Date_unit.h"
#include "export/SpreadsheetApplication.h"

#include <QDialog>
#include <QEvent>

class DataFormatsPanel;
class QButtonGroup;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimeEdit;

// The export dialog: report format, interval and range, then one report generator. Created once
// and reused; its controls keep their state between openings. exec() opens it modally; each
// opening (also show()) runs FormActivate.
class TExportForm final : public QDialog {
    Q_OBJECT
public:
    // The private message that closes the dialog as cancelled (the user-message base 1024 + 200).
    static constexpr QEvent::Type CloseAsCancelled = QEvent::Type(QEvent::User + 224);

    explicit TExportForm(SpreadsheetFactory spreadsheet, QWidget* parent = nullptr);

    TDateTime RangeFrom() const { return m_rangeFrom; }
    TDateTime RangeTo() const { return m_rangeTo; }
    // Where the reports find the template; empty for the one beside the program.
    void setTemplatePath(const QString& path) { m_templatePath = path; }
    // The "Data formats" group, told by the main window about an opened station and its flags.
    DataFormatsPanel* DataFormats() const { return m_dataFormats; }
    // The options the storm reports analyse with (the Storms window's).
    void setStormOptions(const Analysis::StormOptions& options);

    void FormActivate();

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void DayMinSelectClick();
    void StartTimePickerChange();
    void EndTimePickerChange();
    void StartDatePickerChange();
    void EndDatePickerChange();
    void ExportBtnClick();
    void CancelBtnClick();
    void showRange();

    SpreadsheetFactory m_spreadsheet;
    QString m_templatePath;
    Analysis::StormOptions m_stormOptions;
    TDateTime m_rangeFrom = 0;
    TDateTime m_rangeTo = 0;

    QGroupBox* DayMinSelect = nullptr;
    QButtonGroup* m_formats = nullptr;
    QGroupBox* Interval = nullptr;
    QComboBox* IntervalSelect = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QDateEdit* StartDatePicker = nullptr;
    QDateEdit* EndDatePicker = nullptr;
    QTimeEdit* StartTimePicker = nullptr;
    QTimeEdit* EndTimePicker = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* ExportBtn = nullptr;
    DataFormatsPanel* m_dataFormats = nullptr;
};
