// The minute report and the interval report: the event table laid onto a time grid.
#include "data/DataUnit.h"
#include "export/ReportGenerators.h"
#include "export/ReportSheet.h"
#include "export/ReportTime.h"
#include "ui/OmbrexError.h"
#include "ui/Prompts.h"

#include <algorithm>
#include <cmath>

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

// The end of the first interval, on the grid of ends through `origin`, that holds `t` and does
// not end before `origin`.
TDateTime GridEndHolding(TDateTime origin, TDateTime t, TDateTime length) {
    auto steps = int64_t(std::ceil((t - origin - OneMillisecond) / length));
    return TruncToMinute(origin + double(std::max<int64_t>(steps, 0)) * length);
}

// After a power reset the logger dates its records from the marker until its clock is set
// again. The first record dated at or after the last one before the reset is that setting: the
// grid starts anew there, never with a row for every step of the years in between.
class ResetClock {
public:
    // A marker record, after the record dated `lastBefore`, with the grid at `gridBefore`.
    void marker(TDateTime lastBefore, TDateTime gridBefore) {
        if (m_active) {
            lastBefore = std::max(m_lastBefore, lastBefore);
            gridBefore = std::max(m_gridBefore, gridBefore);
        }
        m_lastBefore = lastBefore;
        m_gridBefore = gridBefore;
        m_active = true;
    }
    // True once, for the record whose date shows that the clock was set again.
    bool setAgainBy(TDateTime dateTime) {
        if (!m_active || IsMarkerDate(dateTime) || CompareWithTolerance(dateTime, m_lastBefore) < 0)
            return false;
        m_active = false;
        return true;
    }
    TDateTime gridBefore() const { return m_gridBefore; }

private:
    TDateTime m_lastBefore = 0;
    TDateTime m_gridBefore = 0;
    bool m_active = false;
};

void MinuteRows(Session& sheet, const ReportContext& context, bool skipLongGaps) {
    QString remark;
    int32_t row = FirstDataRow;
    const int32_t count = DataUnit::EventCount();
    if (count < 1) {
        sheet.write(QStringLiteral("c7"), NoDataRemark);
        return;
    }
    const TDateTime rangeTo = context.RangeTo;
    TDateTime previous = context.RangeFrom - OneMinute;
    ResetClock resetClock;
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
        // Leaving long gaps out already drops the jump of a clock set again.
        const bool clockSetAgain = !skipLongGaps && resetClock.setAgainBy(dateTime);
        // A date running backwards gets its remark, never filler rows.
        const bool backwards = CompareWithTolerance(dateTime, cursor) < 0;
        if (!clockSetAgain && MinutesBetween(dateTime + OneSecond, cursor) > 1) {
            if (skipLongGaps && MinutesBetween(dateTime, cursor) > LongGapMinutes) {
                remark = NewEventRemark;
                cursor = dateTime - OneMinute;
            } else if (!backwards) {
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
        if (IsMarkerDate(dateTime))
            resetClock.marker(previous, std::max(cursor, previous));
        previous = dateTime;
        if (CompareWithTolerance(dateTime, rangeTo) >= 0 || row >= RowLimit)
            break;
    }
}

void IntervalRows(Session& sheet, const ReportContext& context, int32_t minutes) {
    int32_t row = FirstDataRow;
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
    ResetClock resetClock;

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
        // The report ends with the interval in progress; a record after RangeTo is in none.
        if (outOfRange || CompareWithTolerance(record.DateTime, context.RangeTo) > 0) {
            writeIntervalRow(intervalEnd, intervalSum, QString());
            break;
        }
        const TDateTime dateTime = record.DateTime;
        QString remark;
        if (resetClock.setAgainBy(dateTime)) {
            // Only the marker's own count can be pending here; an empty interval is left out.
            if (intervalSum != 0)
                writeIntervalRow(intervalEnd, intervalSum, QString());
            intervalEnd = GridEndHolding(resetClock.gridBefore(), dateTime, length);
            intervalSum = 0;
        }
        if (IsMarkerDate(dateTime)) {
            remark = PowerResetRemark;
            resetClock.marker(previous, intervalEnd);
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
            while (CompareWithTolerance(dateTime, intervalEnd) > 0) {
                writeIntervalRow(intervalEnd, 0, remark);
                intervalEnd = TruncToMinute(intervalEnd + length);
            }
        }
        previous = dateTime;
        // Within a millisecond after RangeTo: the record is in, and the report ends with it.
        if (dateTime > context.RangeTo) {
            writeIntervalRow(intervalEnd, intervalSum, QString());
            break;
        }
    }
}

} // namespace

void ExportByMinute(const ReportContext& context) {
    const bool skipLongGaps = Prompts::Confirm(SkipLongGapsQuestion);
    Session sheet(context);
    MinuteRows(sheet, context, skipLongGaps);
    sheet.finish();
}

void ExportByInterval(const ReportContext& context, int32_t minutes) {
    if (minutes < 1)
        throw OmbrexError(QStringLiteral("The interval must be at least one minute long"));
    Session sheet(context);
    IntervalRows(sheet, context, minutes);
    sheet.finish();
}
