#include "data/Date_unit.h"

#include "ui/Prompts.h"

#include <QDate>
#include <QLocale>
#include <QTime>
#include <chrono>
#include <cmath>

namespace {

constexpr int64_t MSecsPerDay = 86400000;
// Beyond 31 December 9999 a value is no date at all.
constexpr double MaxDays = 2958466.0;

int64_t DayZero() {
    static const int64_t zero = QDate(1899, 12, 30).toJulianDay();
    return zero;
}

bool IsDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A two-character field of the date text: two digits, or a blank and one digit.
bool ReadField(QStringView text, qsizetype at, int& value) {
    if (text.size() < at + 2)
        return false;
    const QChar a = text[at], b = text[at + 1];
    if (!IsDigit(b))
        return false;
    if (a == QLatin1Char(' '))
        value = b.unicode() - '0';
    else if (IsDigit(a))
        value = (a.unicode() - '0') * 10 + (b.unicode() - '0');
    else
        return false;
    return true;
}

bool IsBlankOrControl(QChar c) {
    return c.unicode() <= 32 || c.unicode() == 127;
}

// Everything but the hour, which the caller has read already.
bool ReadLoggerTime(QStringView s, int hour, TDateTime& out) {
    int month = 0, day = 0, yy = 0, minute = 0, second = 0;
    if (s.size() < 14 || s[2] != QLatin1Char('/') || s[5] != QLatin1Char('/') ||
        s[11] != QLatin1Char(':'))
        return false;
    if (!ReadField(s, 0, month) || !ReadField(s, 3, day) || !ReadField(s, 6, yy) ||
        !ReadField(s, 12, minute))
        return false;
    qsizetype rest = 14;
    // The status reply's clock may carry seconds.
    if (s.size() >= 17 && s[14] == QLatin1Char(':')) {
        if (!ReadField(s, 15, second))
            return false;
        rest = 17;
    }
    for (qsizetype i = rest; i < s.size(); ++i)
        if (!IsBlankOrControl(s[i]))
            return false;
    // Read through a 12-hour form: 0 is 12 AM, 13..24 are 1..12 PM, so 24 is noon.
    if (hour < 0 || hour > 24)
        return false;
    if (hour == 24)
        hour = 12;
    if (minute > 59 || second > 59)
        return false;
    return TryEncodeDateTime(ExpandTwoDigitYear(yy), month, day, hour, minute, second, 0, out);
}

// Strips the time-zone fields from a Qt time format; the program shows local wall-clock time.
QString WithoutTimeZone(const QString& format) {
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        out += c;
    }
    // A zone some locales put in brackets ("H:mm:ss (t)") leaves them empty.
    out.remove(QStringLiteral("()"));
    return out.simplified();
}

} // namespace

TDateTime EncodeDate(int year, int month, int day) {
    const QDate date(year, month, day);
    if (!date.isValid())
        return 0;
    return double(date.toJulianDay() - DayZero());
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    const int64_t ms =
        int64_t(hour) * 3600000 + int64_t(minute) * 60000 + int64_t(second) * 1000 + msec;
    return double(ms) / double(MSecsPerDay);
}

bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec,
                       TDateTime& out) {
    if (!QDate::isValid(year, month, day) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59 || msec < 0 || msec > 999)
        return false;
    const TDateTime date = EncodeDate(year, month, day);
    const TDateTime time = EncodeTime(hour, minute, second, msec);
    // Before the zero day the fraction still counts forward from midnight.
    out = date < 0 ? date - time : date + time;
    return true;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec) {
    TDateTime out = 0;
    return TryEncodeDateTime(year, month, day, hour, minute, second, msec, out) ? out : 0;
}

TDateParts DecodeDateTime(TDateTime value) {
    TDateParts parts;
    if (!std::isfinite(value) || std::fabs(value) > MaxDays)
        return parts;
    int64_t days = int64_t(std::trunc(value));
    int64_t ms = std::llround(std::fabs(value - std::trunc(value)) * double(MSecsPerDay));
    if (ms >= MSecsPerDay) {
        ms -= MSecsPerDay;
        ++days;
    }
    const QDate date = QDate::fromJulianDay(DayZero() + days);
    parts.year = date.year();
    parts.month = date.month();
    parts.day = date.day();
    parts.hour = int(ms / 3600000);
    parts.minute = int(ms / 60000 % 60);
    parts.second = int(ms / 1000 % 60);
    parts.msec = int(ms % 1000);
    return parts;
}

TDateTime FromQDateTime(const QDateTime& local) {
    if (!local.isValid())
        return 0;
    const QDate d = local.date();
    const QTime t = local.time();
    return EncodeDateTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec());
}

QDateTime ToQDateTime(TDateTime value) {
    const TDateParts p = DecodeDateTime(value);
    return QDateTime(QDate(p.year, p.month, p.day), QTime(p.hour, p.minute, p.second, p.msec));
}

TDateTime NowDateTime() {
    return FromQDateTime(QDateTime::currentDateTime());
}

int ExpandTwoDigitYear(int yy) {
    // Asking the clock for the local date costs more than the rest of a record line, so the
    // year is looked up again only once a second.
    using Clock = std::chrono::steady_clock;
    thread_local Clock::time_point checked;
    thread_local int currentYear = 0;
    const Clock::time_point now = Clock::now();
    if (currentYear == 0 || now - checked > std::chrono::seconds(1)) {
        currentYear = QDate::currentDate().year();
        checked = now;
    }
    const int first = currentYear - 50;
    int year = first - first % 100 + yy % 100;
    if (year < first)
        year += 100;
    return year;
}

QString ShortDateText(TDateTime value) {
    const TDateParts p = DecodeDateTime(value);
    return QString::asprintf("%02d/%02d/%02d", p.month, p.day, std::abs(p.year % 100));
}

QString LongTimeFormat(const QLocale& locale) {
    return locale.language() == QLocale::C
               ? QStringLiteral("h:mm:ss AP")
               : WithoutTimeZone(locale.timeFormat(QLocale::LongFormat));
}

QString LongTimeText(TDateTime value) {
    const QLocale locale;
    const TDateParts p = DecodeDateTime(value);
    return locale.toString(QTime(p.hour, p.minute, p.second, p.msec), LongTimeFormat(locale));
}

QString LoggerTimeText(TDateTime value, QChar separator) {
    const TDateParts p = DecodeDateTime(value);
    return QString::asprintf("%02d/%02d/%02d%c%02d:%02d", p.month, p.day, std::abs(p.year % 100),
                             char(separator.toLatin1()), p.hour, p.minute);
}

namespace {
bool g_noticeOnce = false;  // an InvalidDateNoticeOnce is alive
bool g_noticeShown = false; // and the message has been shown under it
} // namespace

InvalidDateNoticeOnce::InvalidDateNoticeOnce() : m_outer(!g_noticeOnce) {
    if (m_outer) {
        g_noticeOnce = true;
        g_noticeShown = false;
    }
}

InvalidDateNoticeOnce::~InvalidDateNoticeOnce() {
    if (m_outer)
        g_noticeOnce = false;
}

TDateTime LoggerTimeToDateTime(const QString& text) {
    return LoggerTimeToDateTime(QStringView(text));
}

TDateTime LoggerTimeToDateTime(QStringView text) {
    // Character 9 may be any separator: it is never looked at.
    int32_t hour = 0;
    if (!ReadWholeNumber(text.mid(9, 2), hour))
        return 0;
    TDateTime out = 0;
    if (ReadLoggerTime(text, hour, out))
        return out;
    if (!(g_noticeOnce && g_noticeShown))
        Prompts::ShowError(QStringLiteral("The start time in the logger is invalid"));
    g_noticeShown = g_noticeOnce;
    return EncodeDateTime(2001, 1, 1, 12, 0);
}

bool ReadWholeNumber(QStringView text, int32_t& value) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i >= text.size())
        return false;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (!IsDigit(text[i]))
            return false;
        magnitude = magnitude * 10 + (text[i].unicode() - '0');
        if (magnitude > int64_t(INT32_MAX) + 1)
            return false;
    }
    const int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX)
        return false;
    value = int32_t(signedValue);
    return true;
}

int32_t TextToInt(const QString& text) {
    int32_t value = 0;
    return ReadWholeNumber(text, value) ? value : 0;
}
