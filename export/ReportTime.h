#pragma once

#include "data/Date_unit.h"

#include <QString>
#include <cstdint>

// The time operations the reports share. Date-times are days since 1899-12-30.
namespace ReportTime {

constexpr TDateTime OneMinute = 1.0 / 1440.0;
constexpr TDateTime OneSecond = 1.0 / 86400.0;
constexpr TDateTime OneMillisecond = 1.0 / 86400000.0;

// Rounded to the millisecond, then with seconds and milliseconds cleared.
TDateTime TruncToMinute(TDateTime t);
// -1, 0 or 1: equal when less than a millisecond apart.
int CompareWithTolerance(TDateTime a, TDateTime b);
// -1, 0 or 1: equal on the same day (whole-day parts truncated toward zero).
int CompareByDay(TDateTime a, TDateTime b);
// The distance in whole minutes, truncated.
int64_t MinutesBetween(TDateTime a, TDateTime b);

// "MM/dd/yy", and the long time after a blank unless the time of day is 00:00:00.
QString DateTimeText(TDateTime t);

} // namespace ReportTime
