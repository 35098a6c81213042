#pragma once

#include "data/Date_unit.h"

#include <cstdint>
#include <vector>

// One minute with rain. A break (a power reset, a sequence error, a "not logging" gap) lies
// before this minute: it ends the storm in progress.
struct RainMinute {
    TDateTime Minute; // the minute's start, whole minutes
    int32_t Tips;
    bool BreakBefore = false;
};

// A stretch of time the logger was logging.
struct LoggedSpan {
    TDateTime From;
    TDateTime To;
};

namespace Analysis {

// Message records that the station archive puts at the edges of a gap in the record.
inline constexpr char16_t kNotLogging[] = u"Not logging";
inline constexpr char16_t kLoggingAgain[] = u"Logging again";

// Whole minutes since 1899-12-30, robust against the binary fraction of a TDateTime.
int64_t MinuteNumber(TDateTime t);
TDateTime MinuteTime(int64_t minute);

bool IsMarkerDate(TDateTime t);

} // namespace Analysis

// From DataUnit's event table: rain records without marker dates, in time order, one entry per
// minute (records of the same minute summed).
std::vector<RainMinute> RainSeriesFromEvents();
// The same without the records marked in `leaveOut` (by event-table index; accepted flags).
std::vector<RainMinute> RainSeriesFromEvents(const std::vector<bool>& leaveOut);
// From DataUnit::BucketFactor: the factor is thousandths of the display unit, and the unit is
// inches when the factor is 10.
double MillimetresPerTip();
// The stretches covered by logging, in time order: from the table's first record, or a "Logging
// again" record, to the next "Not logging" record or the table's last record. Marker records
// carry no real time and are passed over.
std::vector<LoggedSpan> LoggedSpansFromEvents();
