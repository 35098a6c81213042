// The minute report and the interval report: the event table laid onto a time grid.
#include "data/DataUnit.h"
#include "export/ReportGenerators.h"
#include "export/ReportSheet.h"
#include "export/ReportTime.h"
#include "ui/OmbrexError.h"
#include "ui/Prompts.h"

#include <algorithm>

using namespace ReportSheet;
using namespace ReportTime;

namespace {

const QString SkipLongGapsQuestion = QStringLiteral(
    "The amount of data exported can be dramatically reduced by\r\n removing long periods of "
    "inactivity.\r\nWould you like to enable this feature?");

// More whole minutes than this between two records make a long gap.
constexpr int64_t LongGapMinutes = 300;

// The first event record at or after `from` (compare with tolerance), or EventCount.
int32_t FirstEventFrom(TDateTime from) {
    const int32_t count = DataUnit::EventCount();
    bool outOfRange = false;
    int32_t i = 0;
    while (i < count && CompareWithTolerance(DataUnit::GetEvent(i, outOfRange).DateTime, from) < 0)
        ++i;
    return i;
}

} // namespace

void ExportByMinute(const ReportContext& context) {
    const bool skipLongGaps = Prompts::Confirm(SkipLongGapsQuestion);
    QString remark;
    int32_t row = FirstDataRow;
    Session sheet(context);
    const int32_t count = DataUnit::EventCount();
    if (count < 1) {
        sheet.write(QStringLiteral("c7"), NoDataRemark);
        return;
    }
    const TDateTime rangeTo = context.RangeTo;
    TDateTime previous = context.RangeFrom - OneMinute;
    // Where the grid stood before the last marker record, while the record after it is due.
    TDateTime beforeMarker = 0;
    bool afterMarker = false;
    for (int32_t i = FirstEventFrom(context.RangeFrom); i < count; ++i) {
        bool outOfRange = false;
        const TRainRecord record = DataUnit::GetEvent(i, outOfRange);
        if (outOfRange)
            break;
        TDateTime cursor = previous;
        TDateTime dateTime = record.DateTime;
        int32_t tips = record.Count;
        if (CompareByDay(dateTime, rangeTo) > 0) {
            // A record on a later day closes the report at RangeTo.
            if (skipLongGaps)
                break;
            dateTime = rangeTo;
            tips = 0;
        }
        // Records after a reset dated from the marker's clock go on from the marker. One dated
        // after the grid as it stood (the clock was set again) goes on from there: filling from
        // the marker's year would write a row for every minute since.
        if (afterMarker && dateTime > beforeMarker)
            cursor = beforeMarker;
        afterMarker = false;
        if (MinutesBetween(dateTime + OneSecond, cursor) > 1) {
            if (skipLongGaps && MinutesBetween(dateTime, cursor) > LongGapMinutes) {
                remark = NewEventRemark;
                cursor = dateTime - OneMinute;
            } else {
                // Filler rows, one a minute; these are not held to the row limit.
                do {
                    cursor += OneMinute;
                    sheet.writeRow(row, 'a', DateTimeText(cursor));
                    sheet.writeRow(row, 'b', 0);
                    ++row;
                } while (CompareWithTolerance(cursor + OneMinute, dateTime) < 0 &&
                         CompareWithTolerance(cursor, rangeTo) < 0);
            }
        }
        if (IsMarkerDate(dateTime))
            remark = PowerResetRemark;
        else if (cursor > dateTime)
            remark = SequenceErrorRemark;
        // A record row never lands on the row limit or beyond, even after a long fill.
        if (row >= RowLimit)
            break;
        if (CompareWithTolerance(dateTime, rangeTo) <= 0) {
            sheet.writeRow(row, 'a', DateTimeText(dateTime));
            sheet.writeRow(row, 'b', DataUnit::FormatDepth(tips));
            if (!remark.isEmpty()) {
                sheet.writeRow(row, 'c', remark);
                remark.clear();
            }
        }
        ++row;
        if (IsMarkerDate(dateTime)) {
            afterMarker = true;
            beforeMarker = std::max(cursor, previous);
        }
        previous = dateTime;
        if (CompareWithTolerance(dateTime, rangeTo) >= 0 || row >= RowLimit)
            break;
    }
}

void ExportByInterval(const ReportContext& context, int32_t minutes) {
    if (minutes < 1)
        throw OmbrexError(QStringLiteral("The interval must be at least one minute long"));
    QString remark;
    int32_t row = FirstDataRow;
    Session sheet(context);
    const int32_t count = DataUnit::EventCount();
    if (count < 1)
        return;
    const TDateTime length = minutes * OneMinute;
    int32_t i = FirstEventFrom(context.RangeFrom - length);
    if (i >= count)
        return;
    TDateTime previous = context.RangeFrom - length;
    TDateTime intervalEnd = TruncToMinute(context.RangeFrom);
    int32_t intervalSum = 0;
    TDateTime beforeMarkerEnd = 0;
    bool afterMarker = false;

    auto writeIntervalRow = [&](TDateTime end, int32_t tips, const QString& text) {
        sheet.writeRow(row, 'a', DateTimeText(end));
        sheet.writeRow(row, 'b', DataUnit::FormatDepth(tips));
        if (!text.isEmpty())
            sheet.writeRow(row, 'c', text);
        ++row;
    };

    for (;; ++i) {
        bool outOfRange = i >= count;
        const TRainRecord record = outOfRange ? TRainRecord() : DataUnit::GetEvent(i, outOfRange);
        if (outOfRange) {
            writeIntervalRow(intervalEnd, intervalSum, QString());
            break;
        }
        const TDateTime dateTime = record.DateTime;
        remark.clear();
        // As in the minute report: a record after a marker dated beyond the grid as it stood
        // goes on with that grid instead of an interval for every step since the marker's year.
        if (afterMarker && dateTime > beforeMarkerEnd)
            intervalEnd = TruncToMinute(beforeMarkerEnd + length);
        afterMarker = false;
        if (IsMarkerDate(dateTime)) {
            remark = PowerResetRemark;
            afterMarker = true;
            beforeMarkerEnd = intervalEnd;
            intervalEnd = TruncToMinute(dateTime + length);
        } else if (previous > dateTime) {
            remark = SequenceErrorRemark;
            intervalEnd = TruncToMinute(dateTime + length);
        }
        if (CompareWithTolerance(dateTime, intervalEnd) <= 0 && remark.isEmpty()) {
            intervalSum += record.Count;
        } else {
            writeIntervalRow(intervalEnd, intervalSum, remark);
            intervalEnd = TruncToMinute(intervalEnd + length);
            intervalSum = record.Count;
            if (CompareWithTolerance(dateTime, context.RangeTo) > 0)
                break;
            while (CompareWithTolerance(dateTime, intervalEnd) > 0) {
                writeIntervalRow(intervalEnd, 0, remark);
                intervalEnd = TruncToMinute(intervalEnd + length);
            }
        }
        previous = dateTime;
        if (dateTime > context.RangeTo)
            break;
    }
}
