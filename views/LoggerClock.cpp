#include "views/LoggerClock.h"

TDateTime LoggerNow(double clockOffset) {
    return NowDateTime() - clockOffset;
}

QString LoggerClockText(TDateTime value) {
    const TDateParts p = DecodeDateTime(value);
    const int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    return QString::asprintf("%02d:%02d:%02d %s", hour12, p.minute, p.second,
                             p.hour < 12 ? "AM" : "PM");
}

MemorySize MemorySizeOf(const QString& loggerVersion) {
    // A version shorter than three characters reads as three blanks.
    const QChar second = loggerVersion.size() < 3 ? QLatin1Char(' ') : loggerVersion[1];
    if (second == QLatin1Char('1'))
        return {QStringLiteral("256K"), 10732};
    if (second == QLatin1Char('2'))
        return {QStringLiteral("2 MB"), 232106};
    return {QStringLiteral("128K"), 5356};
}
