// The storms report and the monthly summary: the storm analysis of the tables on the report
// template, one row a storm or a month, each under column headings of its own.
#include "analysis/RainSeries.h"
#include "analysis/StormReport.h"
#include "analysis/TableStorms.h"
#include "data/DataUnit.h"
#include "export/ReportGenerators.h"
#include "export/ReportSheet.h"
#include "export/XlsxWorkbook.h"

using namespace ReportSheet;

namespace {

constexpr int32_t HeadingRow = FirstDataRow - 1;

// Rows the template leaves free above the headings: what the analysis worked on.
constexpr int32_t OptionsRow = 4;
constexpr int32_t QualityRow = 5;

// Column 1 is "a"; the corrected figures reach past "z".
QString At(int32_t column, int32_t row) {
    return ColumnLetters(column).toLower() + QString::number(row);
}

void writeHeadings(Session& sheet, const QStringList& headings, int32_t firstColumn = 1) {
    for (qsizetype c = 0; c < headings.size(); ++c)
        sheet.write(At(firstColumn + int32_t(c), HeadingRow), headings[c]);
}

// cells[from...] into the columns from firstColumn on.
void writeCells(Session& sheet, int32_t row, const StormReport::Row& cells, size_t from = 0,
                int32_t firstColumn = 1) {
    for (size_t c = from; c < cells.size(); ++c)
        sheet.write(At(firstColumn + int32_t(c - from), row), cells[c].text);
}

void writeAnalysisRows(Session& sheet, const Analysis::TableStorms& analysis,
                       const Analysis::StormOptions& options) {
    sheet.write(At(1, OptionsRow), StormReport::OptionsText(options, DataUnit::BucketFactor));
    sheet.write(At(1, QualityRow), StormReport::QualityText(analysis));
}

} // namespace

void ExportStorms(const ReportContext& context, const Analysis::StormOptions& options) {
    Session sheet(context);
    const bool inches = DataUnit::IsInches();
    const Analysis::TableStorms analysis = Analysis::AnalyseTables(options);
    const StormReport::Table table = StormReport::StormTable(analysis, inches);
    writeAnalysisRows(sheet, analysis, options);
    writeHeadings(sheet, table.columns);
    // By whole minutes: storms start on a minute, the range's ends carry the records' seconds.
    const int64_t from = Analysis::MinuteNumber(context.RangeFrom);
    const int64_t to = Analysis::MinuteNumber(context.RangeTo);
    int32_t row = FirstDataRow;
    for (size_t i = 0; i < analysis.Storms.size(); ++i) {
        const int64_t start = Analysis::MinuteNumber(analysis.Storms[i].Start);
        if (start < from || start > to)
            continue;
        if (row >= RowLimit)
            break;
        writeCells(sheet, row++, table.rows[i]);
    }
    if (row == FirstDataRow)
        sheet.writeRow(FirstDataRow, 'a', NoDataRemark);
}

void ExportMonthlySummary(const ReportContext& context, const Analysis::StormOptions& options) {
    Session sheet(context);
    const bool inches = DataUnit::IsInches();
    const Analysis::TableStorms analysis = Analysis::AnalyseTables(options);
    const StormReport::Table months = StormReport::SummaryTable(
        analysis.Periods.Months, analysis.CorrectedPeriods.Months, inches);
    const StormReport::Table years =
        StormReport::SummaryTable(analysis.Periods.Years, analysis.CorrectedPeriods.Years, inches);
    writeAnalysisRows(sheet, analysis, options);
    QStringList headings = months.columns;
    // The period as two numbers: a spreadsheet takes "Mar 2009" typed in for a date.
    headings.replace(0, QStringLiteral("Month"));
    headings.prepend(QStringLiteral("Year"));
    writeHeadings(sheet, headings);

    const TDateParts from = DecodeDateTime(context.RangeFrom);
    const TDateParts to = DecodeDateTime(context.RangeTo);
    const int first = from.year * 12 + from.month - 1;
    const int last = to.year * 12 + to.month - 1;
    int32_t row = FirstDataRow;
    for (size_t i = 0; i < analysis.Periods.Months.size(); ++i) {
        const Analysis::PeriodSummary& m = analysis.Periods.Months[i];
        const int key = m.Year * 12 + m.Month - 1;
        if (key < first || key > last || row >= RowLimit)
            continue;
        sheet.writeRow(row, 'a', m.Year);
        sheet.writeRow(row, 'b', m.Month);
        writeCells(sheet, row, months.rows[i], 1, 3);
        ++row;
    }
    if (row == FirstDataRow) {
        sheet.writeRow(FirstDataRow, 'a', NoDataRemark);
        return;
    }
    // The years below the months, after an empty row, their month column empty.
    ++row;
    for (size_t i = 0; i < analysis.Periods.Years.size(); ++i) {
        const Analysis::PeriodSummary& y = analysis.Periods.Years[i];
        if (y.Year < from.year || y.Year > to.year || row >= RowLimit)
            continue;
        sheet.writeRow(row, 'a', y.Year);
        writeCells(sheet, row, years.rows[i], 1, 3);
        ++row;
    }
}
