#pragma once

#include "analysis/Storms.h"
#include "data/Date_unit.h"
#include "export/SpreadsheetApplication.h"

#include <QString>
#include <cstdint>

// What a report needs from the export dialog: the spreadsheet to start and the range.
struct ReportContext {
    SpreadsheetFactory create;
    TDateTime RangeFrom = 0;
    TDateTime RangeTo = 0;
    QString templatePath; // empty: "Hyetra Report.xltx" in the program's folder
};

// The report template beside the program.
QString ReportTemplatePath();

// The four spreadsheet reports. Each runs to its end; errors of the spreadsheet propagate with
// their own text, the rows written so far staying in the workbook.
void ExportByDay(const ReportContext& context);
void ExportEvents(const ReportContext& context);
void ExportByMinute(const ReportContext& context);
void ExportByInterval(const ReportContext& context, int32_t minutes);

// The storm analysis on the same template: storms that start in the range, and the months (then
// the years) that the range touches.
void ExportStorms(const ReportContext& context, const Analysis::StormOptions& options);
void ExportMonthlySummary(const ReportContext& context, const Analysis::StormOptions& options);
