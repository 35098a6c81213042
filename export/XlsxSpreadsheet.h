#pragma once

#include "export/SpreadsheetApplication.h"
#include "export/XlsxWorkbook.h"

#include <QDateTime>
#include <QString>
#include <memory>

// The spreadsheet application on this platform: it fills a workbook from the template that
// Workbooks->open names and, when the program releases it, writes that workbook as a new .xlsx
// in the reports folder and opens it with the desktop's spreadsheet application.
class XlsxSpreadsheet final : public SpreadsheetApplication {
public:
    XlsxSpreadsheet();
    ~XlsxSpreadsheet() override;

    static SpreadsheetFactory Factory();

    void visible(bool value) override;
    std::unique_ptr<SpreadsheetWorkbooks> Workbooks() override;
    std::unique_ptr<SpreadsheetRange> Range(const QString& address) override;
    std::unique_ptr<SpreadsheetRange> Selection() override;
    // Writes the workbook and opens it with the desktop's spreadsheet program.
    void release() override;

    // Writes the workbook now (the release does this by itself); returns the file written.
    QString saveReport();

private:
    friend class XlsxWorkbooks;
    friend class XlsxRange;
    friend class XlsxFont;
    XlsxWorkbook& workbook();

    std::unique_ptr<XlsxWorkbook> m_workbook;
    bool m_visible = false;
    bool m_saved = false;
    int32_t m_selectedRow = 1;
    int32_t m_selectedColumn = 1;
};

// Where reports are written: $XDG_DATA_HOME/Pluvatec/Ombrex2/Reports (the per-user data folder).
QString ReportsFolder();
// Creates, empty, a report file that did not exist before: "Hyetra Report 2026-12-10 0815.xlsx",
// then "... 0815 (2).xlsx" and so on. Returns its path.
QString ReserveReportFile(const QString& folder, const QDateTime& when);
