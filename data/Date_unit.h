#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <cstdint>

// Days since 1899-12-30 00:00, local time; the fraction is the time of day.
using TDateTime = double;

struct TDateParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, msec = 0;
};

// Encoding and decoding work on the calendar alone (no time zone, no daylight saving), so a
// value always comes back as the same wall-clock time.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second = 0, int msec = 0);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second = 0,
                         int msec = 0);
bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec,
                       TDateTime& out);
TDateParts DecodeDateTime(TDateTime value);

TDateTime FromQDateTime(const QDateTime& local);
QDateTime ToQDateTime(TDateTime value);
TDateTime NowDateTime(); // the PC's local time

// Two-digit years lie between 50 years before and 49 years after the current year.
int ExpandTwoDigitYear(int yy);

// Dates as the program writes them everywhere: "MM/dd/yy" with '/'.
QString ShortDateText(TDateTime value);
// The long time format of the user's locale ("4:15:00 PM" with United States settings).
QString LongTimeText(TDateTime value);
// The Qt time format LongTimeText writes with under `locale`, without a time zone.
QString LongTimeFormat(const QLocale& locale);

// "MM/dd/yy" + separator + "hh:mm": the logger's date text, also the data-file layout (',').
QString LoggerTimeText(TDateTime value, QChar separator = QLatin1Char(' '));

// The logger's date text ("MM/dd/yy hh:mm", any separator at character 9, ":ss" may follow the
// minutes) as a date-time, whatever the regional settings. Hour characters that are not a number
// give 0 silently; any other invalid text shows "The start time in the logger is invalid" and
// gives 1 January 2001 12:00.
TDateTime LoggerTimeToDateTime(const QString& text);
TDateTime LoggerTimeToDateTime(QStringView text);

// While one lives, the invalid-date message is shown once at most: a garbled download or file
// would otherwise stack up a box for every line. Readers of many lines hold one.
class InvalidDateNoticeOnce {
public:
    InvalidDateNoticeOnce();
    ~InvalidDateNoticeOnce();
    InvalidDateNoticeOnce(const InvalidDateNoticeOnce&) = delete;
    InvalidDateNoticeOnce& operator=(const InvalidDateNoticeOnce&) = delete;

private:
    bool m_outer;
};

// A signed decimal whole number: leading blanks and a sign are accepted, nothing after the
// digits, within 32 bits.
bool ReadWholeNumber(QStringView text, int32_t& value);
// The text's value, or 0 when it is not a whole number.
int32_t TextToInt(const QString& text);
