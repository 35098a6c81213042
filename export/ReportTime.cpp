#include "export/ReportTime.h"

#include <cmath>

namespace ReportTime {

namespace {
TDateTime RoundToMillisecond(TDateTime t) {
    return std::round(t * 86400000.0) / 86400000.0;
}
} // namespace

TDateTime TruncToMinute(TDateTime t) {
    const TDateParts p = DecodeDateTime(RoundToMillisecond(t));
    return EncodeDateTime(p.year, p.month, p.day, p.hour, p.minute, 0, 0);
}

int CompareWithTolerance(TDateTime a, TDateTime b) {
    if (std::fabs(a - b) < OneMillisecond)
        return 0;
    return a < b ? -1 : 1;
}

int CompareByDay(TDateTime a, TDateTime b) {
    if (std::trunc(a) == std::trunc(b))
        return 0;
    return a < b ? -1 : 1;
}

int64_t MinutesBetween(TDateTime a, TDateTime b) {
    return int64_t(std::trunc(std::fabs(a - b) * 1440.0));
}

QString DateTimeText(TDateTime t) {
    const TDateParts p = DecodeDateTime(t);
    QString text = ShortDateText(t);
    if (p.hour != 0 || p.minute != 0 || p.second != 0) {
        text += QLatin1Char(' ');
        text += LongTimeText(t);
    }
    return text;
}

} // namespace ReportTime
