// The storms report and the monthly summary: the storm analysis of the tables on the report
// template, one row a storm or a month, each under column headings of its own.
#include "analysis/RainSeries.h"
#include "analysis/StormReport.h"
#include "data/DataUnit.h"
#include "export/ReportGenerators.h"
#include "export/ReportSheet.h"

using namespace ReportSheet;

namespace {

constexpr int32_t HeadingRow = FirstDataRow - 1;

void writeHeadings(Session& sheet, const QStringList& headings) {
    for (qsizetype c = 0; c < headings.size(); ++c)
        sheet.writeRow(HeadingRow, char('a' + c), headings[c]);
}

// cells[from...] into the columns from firstColumn on.
void writeCells(Session& sheet, int32_t row, const StormReport::Row& cells, size_t from = 0,
                char firstColumn = 'a') {
    for (size_t c = from; c < cells.size(); ++c)
        sheet.writeRow(row, char(firstColumn + (c - from)), cells[c].text);
}

} // namespace

void ExportStorms(const ReportContext& context, const Analysis::StormOptions& options) {
    Session sheet(context);
    const bool inches = DataUnit::IsInches();
    writeHeadings(sheet, StormReport::StormColumns(inches));
    const auto storms = Analysis::FindStorms(RainSeriesFromEvents(), MillimetresPerTip(), options);
    // By whole minutes: storms start on a minute, the range's ends carry the records' seconds.
    const int64_t from = Analysis::MinuteNumber(context.RangeFrom);
    const int64_t to = Analysis::MinuteNumber(context.RangeTo);
    int32_t row = FirstDataRow;
    for (const Analysis::Storm& s : storms) {
        const int64_t start = Analysis::MinuteNumber(s.Start);
        if (start < from || start > to)
            continue;
        if (row >= RowLimit)
            break;
        writeCells(sheet, row++, StormReport::StormRow(s, inches));
    }
    if (row == FirstDataRow)
        sheet.writeRow(FirstDataRow, 'a', NoDataRemark);
}

void ExportMonthlySummary(const ReportContext& context, const Analysis::StormOptions& options) {
    Session sheet(context);
    const bool inches = DataUnit::IsInches();
    QStringList headings = StormReport::SummaryColumns(inches);
    // The period as two numbers: a spreadsheet takes "Mar 2009" typed in for a date.
    headings.replace(0, QStringLiteral("Month"));
    headings.prepend(QStringLiteral("Year"));
    writeHeadings(sheet, headings);

    const auto series = RainSeriesFromEvents();
    const double mm = MillimetresPerTip();
    const auto summaries = Analysis::Summarise(
        series, mm, Analysis::FindStorms(series, mm, options), LoggedSpansFromEvents());
    const TDateParts from = DecodeDateTime(context.RangeFrom);
    const TDateParts to = DecodeDateTime(context.RangeTo);
    const int first = from.year * 12 + from.month - 1;
    const int last = to.year * 12 + to.month - 1;
    int32_t row = FirstDataRow;
    for (const Analysis::PeriodSummary& m : summaries.Months) {
        const int key = m.Year * 12 + m.Month - 1;
        if (key < first || key > last || row >= RowLimit)
            continue;
        sheet.writeRow(row, 'a', m.Year);
        sheet.writeRow(row, 'b', m.Month);
        writeCells(sheet, row, StormReport::SummaryRow(m, inches), 1, 'c');
        ++row;
    }
    if (row == FirstDataRow) {
        sheet.writeRow(FirstDataRow, 'a', NoDataRemark);
        return;
    }
    // The years below the months, after an empty row, their month column empty.
    ++row;
    for (const Analysis::PeriodSummary& y : summaries.Years) {
        if (y.Year < from.year || y.Year > to.year || row >= RowLimit)
            continue;
        sheet.writeRow(row, 'a', y.Year);
        writeCells(sheet, row, StormReport::SummaryRow(y, inches), 1, 'c');
        ++row;
    }
}
