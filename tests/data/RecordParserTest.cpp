#include "tests/data/DataTestSupport.h"
#include "tests/support/ScriptedPrompts.h"

using Prompts::Answer;
using Prompts::Kind;

namespace {

const QString Invalid = QStringLiteral("The start time in the logger is invalid");

class RecordParser : public DataTest {};

struct LineCase {
    const char* line;
    int status;
    int32_t count; // of the one record appended (when status 0 and appended)
    bool appended;
    TDateTime date;
};

TEST_F(RecordParser, NewFormatLines) {
    const TDateTime june15 = At(2009, 6, 15, 14, 30);
    const LineCase cases[] = {
        {"06/15/09 14:30 0.05\r\n", 0, 5, true, june15},
        {"06/15/09 14:30 12\r\n", 0, 12, true, june15},
        {"06/15/09 14:30    7  \r\n", 0, 7, true, june15},
        {"06/15/09 14:30 300\r\n", 0, 44, true, june15}, // low eight bits
        {"06/15/09 14:30 -1\r\n", 0, 255, true, june15},
        {"06/15/09,14:30,1.23", 0, 123, true, june15},
        {"06/15/09,14:30,1.5", 0, 15, true, june15}, // 18 characters: one decimal
        {"06/15/09,14:30,5", 0, 5, true, june15},    // date, separator and one digit
        {"06/15/09,14:30,", 3, 0, false, 0},
        {"06/15/09 14:30\r\n", 3, 0, false, 0}, // a bare date with its line end
        {"\r\n", 3, 0, false, 0},
        {"", 3, 0, false, 0},
        {"06/15/09 14:30 1x\r\n", 2, 0, false, 0},
        {"06/15/09 14:30 1.2.3\r\n", 2, 0, false, 0}, // only the first point goes
        {"06/15/09 14:30   \r\n", 2, 0, false, 0},
        {"06/15/09 14:30 99999999999\r\n", 2, 0, false, 0},
        {"06/15/09 ab:30 0.05\r\n", 0, 5, true, 0}, // hour not a number: date 0, silently
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        DataUnit::ClearTables();
        EXPECT_EQ(DataUnit::ParseRecordLine(QString::fromLatin1(c.line)), c.status);
        ASSERT_EQ(DataUnit::EventCount(), c.appended ? 1 : 0);
        if (c.appended) {
            const TRainRecord r = Events().front();
            EXPECT_EQ(r.Count, c.count);
            EXPECT_EQ(r.DateTime, c.date) << Text(r.DateTime);
            EXPECT_TRUE(r.Message.isEmpty());
        }
    }
}

TEST_F(RecordParser, InvalidDateIsAcceptedWithTheMessage) {
    ScriptedPrompts prompts;
    prompts.expect(Kind::Error, Invalid, Answer::Ok);
    EXPECT_EQ(DataUnit::ParseRecordLine(QStringLiteral("02/30/09 10:00 0.03\r\n")), 0);
    ASSERT_EQ(DataUnit::EventCount(), 1);
    EXPECT_EQ(Events()[0].DateTime, At(2001, 1, 1, 12, 0));
    EXPECT_EQ(Events()[0].Count, 3);
}

TEST_F(RecordParser, MessageLines) {
    const struct {
        const char* line;
        bool appended;
        const char* message;
    } cases[] = {
        {"M 06/15/09 14:30 Battery low\r\n", true, "Battery low"}, // no CR left behind
        {"M 06/15/09 14:30 Battery low\n", true, "Battery low"},
        {"M 06/15/09 14:30 ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n", true, "ABCDEFGHIJKLMNOPQRST"},
        {"M 06/15/09 14:30 Reset  \n", true, "Reset  "},
        {"M 06/15/09 14:30 A\n", true, "A"}, // 19 characters
        {"M 06/15/09 14:30\r\n", false, ""}, // too short: ignored
        {"M\r\n", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        DataUnit::ClearTables();
        EXPECT_EQ(DataUnit::ParseRecordLine(QString::fromLatin1(c.line)), 0);
        ASSERT_EQ(DataUnit::EventCount(), c.appended ? 1 : 0);
        if (c.appended) {
            const TRainRecord r = Events().front();
            EXPECT_EQ(r.Message, QString::fromLatin1(c.message));
            EXPECT_EQ(r.Count, 0);
            EXPECT_EQ(r.DateTime, At(2009, 6, 15, 14, 30));
        }
    }
}

TEST_F(RecordParser, OldFormatLinesRollTheYearOver) {
    DataUnit::StartOldFormatYear(At(2009, 11, 2, 8, 0));
    EXPECT_EQ(DataUnit::ParseOldRecordLine(QStringLiteral("12/30 14:30    5\r\n")), 0);
    EXPECT_EQ(DataUnit::ParseOldRecordLine(QStringLiteral("01/02 08:00 0012\r\n")), 0);
    EXPECT_EQ(DataUnit::ParseOldRecordLine(QStringLiteral("01/02 09:00    1\r\n")), 0);
    EXPECT_EQ(DataUnit::ParseOldRecordLine(QStringLiteral("12/02 09:00    2\r\n")), 0);
    EXPECT_EQ(DataUnit::ParseOldRecordLine(QStringLiteral("02/02 09:00    3\r\n")), 0);
    const auto e = Events();
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e[0].DateTime, At(2009, 12, 30, 14, 30));
    EXPECT_EQ(e[0].Count, 5);
    EXPECT_EQ(e[1].DateTime, At(2010, 1, 2, 8, 0));
    EXPECT_EQ(e[1].Count, 12);
    EXPECT_EQ(e[2].DateTime, At(2010, 1, 2, 9, 0));
    EXPECT_EQ(e[3].DateTime, At(2010, 12, 2, 9, 0));
    EXPECT_EQ(e[4].DateTime, At(2011, 2, 2, 9, 0));

    EXPECT_EQ(DataUnit::ParseOldRecordLine(QStringLiteral("12/30 14:30\r\n")), 3);
    EXPECT_EQ(DataUnit::ParseOldRecordLine(QStringLiteral("xx/30 14:30    5\r\n")), 1);
    EXPECT_EQ(DataUnit::ParseOldRecordLine(QStringLiteral("03/30 14:30   x5\r\n")), 2);
    EXPECT_EQ(DataUnit::EventCount(), 5);
}

TEST_F(RecordParser, NewFormatCapture) {
    SetCapture("Hyetra Rain Logger\r\nDownload\r\n06/01/09 08:00\r\n"
               "06/15/09 14:30 0.05\r\n"
               "06/15/09 14:45 12\r\n"
               "M 06/16/09 09:00 Battery low\r\n"
               "06/16/09 10:00 3!12345\r\nOK");
    const TDateTime before = NowDateTime();
    DataUnit::ParseDownload(QStringLiteral("125"));
    EXPECT_FALSE(CaptureStream::Exists());
    const auto e = Events();
    ASSERT_EQ(e.size(), 5u); // start, two records, message, end; the '!' line is not parsed
    EXPECT_EQ(DataUnit::StartTime(), At(2009, 6, 1, 8, 0));
    EXPECT_EQ(e[0].DateTime, At(2009, 6, 1, 8, 0));
    EXPECT_EQ(e[1].Count, 5);
    EXPECT_EQ(e[2].Count, 12);
    EXPECT_EQ(e[3].Message, QStringLiteral("Battery low"));
    EXPECT_EQ(e[3].DateTime, At(2009, 6, 16, 9, 0));
    EXPECT_GE(e[4].DateTime, before);
    EXPECT_LE(e[4].DateTime, NowDateTime());
    EXPECT_EQ(e[4].Count, 0);
}

TEST_F(RecordParser, OldFormatCaptureAndShortVersionText) {
    const QByteArray capture = "x\r\ny\r\n12/20/09 08:00:00\r\n"
                               "12/30 14:30    5\r\n"
                               "01/02 08:00    3\r\n!";
    // "104" and a version text without a third character both mean the old format.
    for (const QString& version : {QStringLiteral("104"), QStringLiteral("1"), QString()}) {
        SCOPED_TRACE(version.toStdString());
        DataUnit::ClearTables();
        SetCapture(capture);
        DataUnit::ParseDownload(version);
        const auto e = Events();
        ASSERT_EQ(e.size(), 4u);
        EXPECT_EQ(e[0].DateTime, At(2009, 12, 20, 8, 0)); // the start line cut to 14
        EXPECT_EQ(e[1].DateTime, At(2009, 12, 30, 14, 30));
        EXPECT_EQ(e[2].DateTime, At(2010, 1, 2, 8, 0));
        EXPECT_EQ(e[2].Count, 3);
    }
}

TEST_F(RecordParser, AnyErrorDiscardsTheDownload) {
    ScriptedPrompts prompts;
    prompts.expect(Kind::Error, QStringLiteral("There were 1 errors processing data!"), Answer::Ok);
    SetCapture("a\r\nb\r\n06/01/09 08:00\r\n06/15/09 14:30 0.05\r\n\r\n06/15/09 14:31 1\r\n!");
    DataUnit::ParseDownload(QStringLiteral("105"));
    EXPECT_EQ(DataUnit::EventCount(), 0);
    EXPECT_FALSE(CaptureStream::Exists());
    DataUnit::BuildDailyTable(DataUnit::StartTime());
    EXPECT_EQ(DataUnit::DailyCount(), 1); // one zero day
}

TEST_F(RecordParser, ThreeLinesGiveStartEndAndZeroDays) {
    const TDateTime tenDaysAgo = NowDateTime() - 10;
    SetCapture("a\r\nb\r\n" + LoggerTimeText(tenDaysAgo).toLatin1() + "\r\n!00000");
    DataUnit::ParseDownload(QStringLiteral("105"));
    const auto e = Events();
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(LoggerTimeText(e[0].DateTime), LoggerTimeText(tenDaysAgo)); // to the minute
    DataUnit::BuildDailyTable(DataUnit::StartTime());
    const auto d = Dailies();
    ASSERT_EQ(d.size(), 11u);
    for (size_t i = 0; i < d.size(); ++i) {
        EXPECT_EQ(d[i].DateTime, std::trunc(tenDaysAgo) + double(i));
        EXPECT_EQ(d[i].Count, 0);
    }
}

TEST_F(RecordParser, CaptureEdges) {
    // Fewer than three lines: no start record, only the end record; StartTime unchanged.
    DataUnit::SetStartTime(At(2000, 1, 1));
    SetCapture("a\r\nb\r\n06/01/09 08:00");
    DataUnit::ParseDownload(QStringLiteral("105"));
    EXPECT_EQ(DataUnit::EventCount(), 1);
    EXPECT_EQ(DataUnit::StartTime(), At(2000, 1, 1));

    // No capture at all behaves as an empty one.
    DataUnit::ClearTables();
    DataUnit::ParseDownload(QStringLiteral("105"));
    EXPECT_EQ(DataUnit::EventCount(), 1);

    // A last line without its line feed is not a line; LF alone ends lines as well.
    DataUnit::ClearTables();
    SetCapture("a\nb\n06/01/09 08:00\n06/15/09 14:30 0.05\n06/15/09 14:45 12");
    DataUnit::ParseDownload(QStringLiteral("105"));
    ASSERT_EQ(DataUnit::EventCount(), 3);
    EXPECT_EQ(Events()[0].DateTime, At(2009, 6, 1, 8, 0)); // 15 characters: used whole
    EXPECT_EQ(Events()[1].Count, 5);
}

} // namespace
