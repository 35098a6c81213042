#include "data/Date_unit.h"

#include "tests/data/DataTestSupport.h"
#include "tests/support/ScriptedPrompts.h"

#include <QDate>

using Prompts::Answer;
using Prompts::Kind;

namespace {

const QString Invalid = QStringLiteral("The start time in the logger is invalid");

struct LoggerTimeCase {
    const char* text;
    int y, m, d, h, mi, s;
    bool message; // the invalid-time message is shown
};

class DateUnit : public DataTest {};

TEST_F(DateUnit, LoggerTimeTexts) {
    const LoggerTimeCase cases[] = {
        {"01/01/09 00:15", 2009, 1, 1, 0, 15, 0, false},
        {"01/01/09 13:05", 2009, 1, 1, 13, 5, 0, false},
        {"01/01/09 12:00", 2009, 1, 1, 12, 0, 0, false},
        {"01/01/09 24:00", 2009, 1, 1, 12, 0, 0, false}, // 24 reads as noon
        {"06/15/09,14:30", 2009, 6, 15, 14, 30, 0, false},
        {"06/15/09T14:30", 2009, 6, 15, 14, 30, 0, false}, // any separator at character 9
        {"06/15/09  9:30", 2009, 6, 15, 9, 30, 0, false},
        {"02/29/08 23:59", 2008, 2, 29, 23, 59, 0, false},
        {"06/15/09 14:30:45", 2009, 6, 15, 14, 30, 45, false}, // status reply with seconds
        {"06/15/09 14:30\n", 2009, 6, 15, 14, 30, 0, false},   // a start line with its LF
        {"06/15/09 14:30\r\n", 2009, 6, 15, 14, 30, 0, false},
        {"01/01/09 25:00", 2001, 1, 1, 12, 0, 0, true},
        {"02/29/09 10:00", 2001, 1, 1, 12, 0, 0, true},
        {"13/01/09 10:00", 2001, 1, 1, 12, 0, 0, true},
        {"00/10/09 10:00", 2001, 1, 1, 12, 0, 0, true},
        {"06/15/09 12:60", 2001, 1, 1, 12, 0, 0, true},
        {"06/15/09 -1:00", 2001, 1, 1, 12, 0, 0, true},
        {"06/15/09 14:30x", 2001, 1, 1, 12, 0, 0, true},
        {"06/15/09 14:30:61", 2001, 1, 1, 12, 0, 0, true},
        {"06-15-09 14:30", 2001, 1, 1, 12, 0, 0, true},
        {"06/15/09 1", 2001, 1, 1, 12, 0, 0, true},
        {"06/15/09 ab:30", 1899, 12, 30, 0, 0, 0, false}, // hour not a number: 0, silently
        {"06/15/09 1 :30", 1899, 12, 30, 0, 0, 0, false},
        {"06/15/09 ", 1899, 12, 30, 0, 0, 0, false},
        {"", 1899, 12, 30, 0, 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ScriptedPrompts prompts;
        if (c.message)
            prompts.expect(Kind::Error, Invalid, Answer::Ok);
        const TDateTime value = LoggerTimeToDateTime(QString::fromLatin1(c.text));
        EXPECT_EQ(value, EncodeDateTime(c.y, c.m, c.d, c.h, c.mi, c.s)) << Text(value);
    }
}

TEST_F(DateUnit, TwoDigitYearWindow) {
    const int now = QDate::currentDate().year();
    EXPECT_EQ(ExpandTwoDigitYear((now - 50) % 100), now - 50);
    EXPECT_EQ(ExpandTwoDigitYear((now + 49) % 100), now + 49);
    EXPECT_EQ(ExpandTwoDigitYear(now % 100), now);
    EXPECT_EQ(ExpandTwoDigitYear(9), 2009);
    // Through the logger text too: the window's last year and its first.
    const QString last = QString::asprintf("01/01/%02d 00:00", (now + 49) % 100);
    const QString first = QString::asprintf("01/01/%02d 00:00", (now - 50) % 100);
    EXPECT_EQ(DecodeDateTime(LoggerTimeToDateTime(last)).year, now + 49);
    EXPECT_EQ(DecodeDateTime(LoggerTimeToDateTime(first)).year, now - 50);
}

TEST_F(DateUnit, TextToInt) {
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {{"123", 123},
                 {"   42", 42},
                 {"-7", -7},
                 {"+5", 5},
                 {"12a", 0},
                 {"", 0},
                 {"1 ", 0},
                 {" ", 0},
                 {"-", 0},
                 {"0x10", 0},
                 {"2147483647", INT32_MAX},
                 {"2147483648", 0},
                 {"-2147483648", INT32_MIN},
                 {"99999999999999999999", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(TextToInt(QString::fromLatin1(c.text)), c.value) << c.text;
}

TEST_F(DateUnit, ShortDateAndLongTime) {
    const TDateTime t = EncodeDateTime(2005, 8, 1, 16, 15, 0);
    EXPECT_EQ(ShortDateText(t), QStringLiteral("08/01/05"));
    EXPECT_EQ(LoggerTimeText(t), QStringLiteral("08/01/05 16:15"));
    EXPECT_EQ(LoggerTimeText(t, QLatin1Char(',')), QStringLiteral("08/01/05,16:15"));
    EXPECT_EQ(LongTimeText(t), QStringLiteral("4:15:00 PM")); // C locale
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(LongTimeText(t), QStringLiteral("4:15:00 PM"));
    EXPECT_EQ(LongTimeText(EncodeDateTime(2005, 8, 1, 0, 5, 9)), QStringLiteral("12:05:09 AM"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(LongTimeText(t), QStringLiteral("16:15:00"));
}

TEST_F(DateUnit, EncodeDecodeIsCalendarArithmetic) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(2002, 1, 1), 37257.0);
    EXPECT_EQ(EncodeDate(2001, 1, 1), 36892.0);
    EXPECT_EQ(EncodeDateTime(2001, 1, 1, 12, 0), 36892.5);
    // A wall-clock time that daylight saving skips in many zones still comes back unchanged.
    const TDateTime gap = EncodeDateTime(2021, 3, 28, 2, 30, 15, 250);
    const TDateParts p = DecodeDateTime(gap);
    EXPECT_EQ(std::tie(p.year, p.month, p.day, p.hour, p.minute, p.second, p.msec),
              std::make_tuple(2021, 3, 28, 2, 30, 15, 250));
    // Decoding rounds to the millisecond, carrying into the next day at midnight.
    const TDateParts almost = DecodeDateTime(EncodeDate(2009, 6, 15) + 1 - 1e-10);
    EXPECT_EQ(std::tie(almost.day, almost.hour, almost.minute), std::make_tuple(16, 0, 0));
    // Before the zero day the fraction still counts forward from midnight.
    const TDateParts before = DecodeDateTime(-1.25);
    EXPECT_EQ(std::tie(before.year, before.month, before.day, before.hour),
              std::make_tuple(1899, 12, 29, 6));
    EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0), -1.25);
    TDateTime out = 0;
    EXPECT_FALSE(TryEncodeDateTime(2009, 2, 29, 0, 0, 0, 0, out));
    EXPECT_FALSE(TryEncodeDateTime(2009, 1, 1, 24, 0, 0, 0, out));
    // Not a date at all decodes as the zero day rather than failing.
    EXPECT_EQ(DecodeDateTime(1e300).year, 1899);

    const QDateTime local(QDate(2009, 6, 15), QTime(14, 30, 5, 7));
    EXPECT_EQ(FromQDateTime(local), EncodeDateTime(2009, 6, 15, 14, 30, 5, 7));
    EXPECT_EQ(ToQDateTime(FromQDateTime(local)), local);
    const TDateTime now = NowDateTime();
    EXPECT_NEAR(now, FromQDateTime(QDateTime::currentDateTime()), 2.0 / 86400);
}

} // namespace
