#pragma once

#include "data/Date_unit.h"

#include <QString>

// The logger's clock as the device window shows it: the PC's time minus the offset the last
// status reply measured (days).
TDateTime LoggerNow(double clockOffset);
// "hh:mm:ss AM/PM": twelve-hour clock, two digits each.
QString LoggerClockText(TDateTime value);

// Memory size of a logger version by its second character, and the records it holds.
struct MemorySize {
    QString text;
    int32_t capacity = 0;
};
MemorySize MemorySizeOf(const QString& loggerVersion);
