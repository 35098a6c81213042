// The day report and the events report.
#include "data/DataUnit.h"
#include "export/ReportGenerators.h"
#include "export/ReportSheet.h"
#include "export/ReportTime.h"

using namespace ReportSheet;
using ReportTime::CompareByDay;
using ReportTime::CompareWithTolerance;
using ReportTime::DateTimeText;

namespace {

void DayRows(Session& sheet, const ReportContext& context) {
    const int32_t count = DataUnit::DailyCount();
    if (count < 1) {
        sheet.write(QStringLiteral("c7"), NoDataRemark);
        return;
    }
    bool outOfRange = false;
    int32_t first = 0;
    while (first < count &&
           CompareByDay(DataUnit::GetDaily(first, outOfRange).DateTime, context.RangeFrom) < 0)
        ++first;

    TDateTime previous = 0;
    QString remark;
    for (int32_t i = first; i < count; ++i) {
        const TRainRecord record = DataUnit::GetDaily(i, outOfRange);
        if (outOfRange)
            continue;
        const int32_t row = FirstDataRow + (i - first);
        if (CompareByDay(record.DateTime, context.RangeTo) > 0)
            break;
        if (row >= RowLimit)
            break;
        sheet.select(Address('a', row));
        if (IsMarkerDate(record.DateTime)) {
            remark = PowerResetRemark;
        } else if (previous > record.DateTime) {
            sheet.setColor(Red);
            remark = SequenceErrorRemark;
        } else {
            sheet.setColor(Black);
        }
        sheet.writeRow(row, 'a', DateTimeText(record.DateTime));
        sheet.writeRow(row, 'b', DataUnit::FormatDepth(record.Count));
        sheet.writeRow(row, 'c', remark);
        remark.clear();
        previous = record.DateTime;
    }
}

void EventRows(Session& sheet, const ReportContext& context) {
    const int32_t count = DataUnit::EventCount();
    bool outOfRange = false;
    int32_t first = 0;
    while (first < count && CompareWithTolerance(DataUnit::GetEvent(first, outOfRange).DateTime,
                                                 context.RangeFrom) < 0)
        ++first;
    for (int32_t i = first; i < count; ++i) {
        const TRainRecord record = DataUnit::GetEvent(i, outOfRange);
        if (outOfRange)
            continue;
        const int32_t row = FirstDataRow + (i - first);
        if (record.DateTime > context.RangeTo)
            break;
        if (row >= RowLimit)
            break;
        sheet.writeRow(row, 'a', DateTimeText(record.DateTime));
        sheet.writeRow(row, 'b', DataUnit::FormatDepth(record.Count));
    }
}

} // namespace

void ExportByDay(const ReportContext& context) {
    Session sheet(context);
    DayRows(sheet, context);
    sheet.finish();
}

void ExportEvents(const ReportContext& context) {
    Session sheet(context);
    EventRows(sheet, context);
    sheet.finish();
}
