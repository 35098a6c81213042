// The four reports against a recording spreadsheet: every call, every cell, every stop rule.
#include "data/DataUnit.h"
#include "export/ReportGenerators.h"
#include "export/ReportTime.h"
#include "tests/export/RecordingSpreadsheet.h"
#include "tests/export/ReportTableTest.h"
#include "tests/support/ScriptedPrompts.h"
#include "ui/OmbrexError.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLocale>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using Prompts::Answer;
using Prompts::Kind;
using ReportTime::CompareWithTolerance;
using ReportTime::DateTimeText;

namespace {

const QString SkipQuestion = QStringLiteral(
    "The amount of data exported can be dramatically reduced by\r\n removing long periods of "
    "inactivity.\r\nWould you like to enable this feature?");

constexpr TDateTime Ms = 1.0 / 86400000.0;

TDateTime At(int month, int day, int hour = 0, int minute = 0, int year = 2009) {
    return EncodeDateTime(year, month, day, hour, minute, 0, 0);
}

struct Event {
    TDateTime at;
    int32_t count;
};

void LoadEvents(const std::vector<Event>& events, bool buildDaily = false) {
    DataUnit::ClearTables();
    for (const auto& e : events)
        DataUnit::AppendEvent(TRainRecord{e.at, e.count, QString()});
    if (buildDaily && !events.empty())
        DataUnit::BuildDailyTable(events.front().at);
}

class Reports : public ReportTableTest {
protected:
    ReportContext context(TDateTime from, TDateTime to) {
        return ReportContext{sheet.factory(), from, to, QString()};
    }
    // The calls a generator makes around its rows.
    QStringList start() const {
        return {"create", "visible=true", "Workbooks", "open(" + ReportTemplatePath() + ")"};
    }
    static QStringList write(const QString& address, const QString& value) {
        return {"Range(" + address + ")", "select", "Selection", "value=" + value};
    }

    RecordingSpreadsheet sheet;
};

// --- minute report ---

struct MinuteCase {
    const char* name;
    std::vector<Event> events;
    TDateTime from, to;
    bool skipLongGaps;
    QStringList rows; // "A|B|C" from row 7; "int 0" is the integer 0
};

class MinuteReport : public Reports, public ::testing::WithParamInterface<MinuteCase> {};

TEST_P(MinuteReport, WritesTheMinuteGrid) {
    const MinuteCase& c = GetParam();
    ScriptedPrompts prompts;
    prompts.expect(Kind::Confirm, SkipQuestion, c.skipLongGaps ? Answer::Yes : Answer::No);
    LoadEvents(c.events);
    ExportByMinute(context(c.from, c.to));
    EXPECT_EQ(sheet.rows(), c.rows);
    EXPECT_EQ(sheet.released, 1);
}

QString Fill(const QString& time) {
    return "03/01/09 " + time + "|int 0|";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MinuteReport,
    ::testing::Values(
        MinuteCase{"FillsTheMinutesBetweenRecords",
                   {{At(3, 1, 8, 0), 1}, {At(3, 1, 8, 5), 2}},
                   At(3, 1, 8, 0),
                   At(3, 1, 8, 5),
                   false,
                   {"03/01/09 8:00:00 AM|0.10|", Fill("8:01:00 AM"), Fill("8:02:00 AM"),
                    Fill("8:03:00 AM"), Fill("8:04:00 AM"), "03/01/09 8:05:00 AM|0.20|"}},
        MinuteCase{"LongGapLeftOutAsNewEvent",
                   {{At(3, 1, 8, 0), 1}, {At(3, 1, 14, 0), 3}},
                   At(3, 1, 8, 0),
                   At(3, 1, 23, 0),
                   true,
                   {"03/01/09 8:00:00 AM|0.10|", "03/01/09 2:00:00 PM|0.30|New Rainfall Event"}},
        MinuteCase{"FirstRecordAfterRangeFromStartsWithFillers",
                   {{At(3, 1, 8, 0), 1}},
                   At(3, 1, 7, 57),
                   At(3, 1, 9, 0),
                   false,
                   {Fill("7:57:00 AM"), Fill("7:58:00 AM"), Fill("7:59:00 AM"),
                    "03/01/09 8:00:00 AM|0.10|"}},
        MinuteCase{"RangeToOnAnEarlierDayIsFilledUpTo",
                   {{At(3, 1, 8, 0), 1}, {At(3, 2, 9, 0), 4}},
                   At(3, 1, 8, 0),
                   At(3, 1, 8, 3),
                   false,
                   {"03/01/09 8:00:00 AM|0.10|", Fill("8:01:00 AM"), Fill("8:02:00 AM"),
                    "03/01/09 8:03:00 AM|0.00|"}},
        MinuteCase{"RangeToOnAnEarlierDayEndsAtOnceWhenSkipping",
                   {{At(3, 1, 8, 0), 1}, {At(3, 2, 9, 0), 4}},
                   At(3, 1, 8, 0),
                   At(3, 1, 8, 3),
                   true,
                   {"03/01/09 8:00:00 AM|0.10|"}},
        MinuteCase{"RangeToAfterTheLastRecordEndsWithIt",
                   {{At(3, 1, 8, 0), 1}, {At(3, 1, 8, 2), 2}},
                   At(3, 1, 8, 0),
                   At(3, 9, 0, 0),
                   false,
                   {"03/01/09 8:00:00 AM|0.10|", Fill("8:01:00 AM"), "03/01/09 8:02:00 AM|0.20|"}},
        MinuteCase{"TwoRecordsInOneMinuteGiveTwoRows",
                   {{At(3, 1, 8, 0), 1}, {At(3, 1, 8, 0) + 30 * 1000 * Ms, 2}},
                   At(3, 1, 8, 0),
                   At(3, 1, 8, 1),
                   false,
                   {"03/01/09 8:00:00 AM|0.10|", "03/01/09 8:00:30 AM|0.20|"}},
        MinuteCase{"DateRunningBackwardsIsFlaggedWithoutFillers",
                   {{At(3, 1, 8, 0), 1}, {At(3, 1, 7, 30), 2}},
                   At(3, 1, 8, 0),
                   At(3, 1, 9, 0),
                   false,
                   {"03/01/09 8:00:00 AM|0.10|",
                    "03/01/09 7:30:00 AM|0.20| - Warning! Date Squence Error."}},
        MinuteCase{"PowerResetRecordIsFlagged",
                   {{At(3, 1, 8, 0), 1}, {At(1, 1, 0, 0, 2002), 0}},
                   At(3, 1, 8, 0),
                   At(3, 1, 9, 0),
                   true,
                   {"03/01/09 8:00:00 AM|0.10|", "01/01/02|0.00| - Warning! Power Reset."}},
        MinuteCase{"ClockSetAgainAfterAResetStartsAnewWithoutFillers",
                   {{At(3, 1, 8, 0), 1}, {At(1, 1, 0, 0, 2002), 0}, {At(3, 1, 8, 3), 2}},
                   At(3, 1, 8, 0),
                   At(3, 1, 9, 0),
                   false,
                   {"03/01/09 8:00:00 AM|0.10|", "01/01/02|0.00| - Warning! Power Reset.",
                    "03/01/09 8:03:00 AM|0.20|"}},
        MinuteCase{"RecordsDatedFromTheResetGoOnFromTheMarker",
                   {{At(3, 1, 8, 0), 1}, {At(1, 1, 0, 0, 2002), 0}, {At(1, 1, 0, 2, 2002), 2}},
                   At(3, 1, 8, 0),
                   At(3, 1, 9, 0),
                   false,
                   {"03/01/09 8:00:00 AM|0.10|", "01/01/02|0.00| - Warning! Power Reset.",
                    "01/01/02 12:01:00 AM|int 0|", "01/01/02 12:02:00 AM|0.20|"}},
        MinuteCase{"LeavingLongGapsOutKeepsTheNewEventAfterAReset",
                   {{At(3, 1, 8, 0), 1}, {At(1, 1, 0, 0, 2002), 0}, {At(3, 1, 8, 3), 2}},
                   At(3, 1, 8, 0),
                   At(3, 1, 9, 0),
                   true,
                   {"03/01/09 8:00:00 AM|0.10|", "01/01/02|0.00| - Warning! Power Reset.",
                    "03/01/09 8:03:00 AM|0.20|New Rainfall Event"}},
        MinuteCase{"EmptyTableSaysNoData", {}, At(3, 1), At(3, 2), false, {"||No Data Available"}},
        MinuteCase{"NothingInRangeWritesNothing",
                   {{At(3, 1, 8, 0), 1}},
                   At(3, 1, 9, 0),
                   At(3, 1, 10, 0),
                   false,
                   {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Reports, MinuteGapOf299MinutesIsFilledEvenWhenSkipping) {
    ScriptedPrompts prompts;
    prompts.expect(Kind::Confirm, SkipQuestion, Answer::Yes);
    LoadEvents({{At(3, 1, 8, 0), 1}, {At(3, 1, 12, 59), 1}});
    ExportByMinute(context(At(3, 1, 8, 0), At(3, 1, 23, 0)));
    const QStringList rows = sheet.rows();
    ASSERT_EQ(rows.size(), 300);
    EXPECT_EQ(rows[1], Fill("8:01:00 AM"));
    EXPECT_EQ(rows[298], Fill("12:58:00 PM"));
    EXPECT_EQ(rows[299], "03/01/09 12:59:00 PM|0.10|");
}

TEST_F(Reports, MinuteReportAsksFirstThenMakesEveryCallInOrder) {
    ScriptedPrompts prompts;
    prompts.expect(Kind::Confirm, SkipQuestion, Answer::No);
    int promptsBeforeStart = -1;
    sheet.onCreate = [&] { promptsBeforeStart = int(prompts.seen().size()); };
    LoadEvents({{At(3, 1, 8, 0), 1}, {At(3, 1, 8, 2), 1}});
    ExportByMinute(context(At(3, 1, 8, 0), At(3, 1, 8, 2)));
    EXPECT_EQ(promptsBeforeStart, 1);
    const QStringList expected = start() + write("a7", "'03/01/09 8:00:00 AM'") +
                                 write("b7", "'0.10'") + write("a8", "'03/01/09 8:01:00 AM'") +
                                 write("b8", "0") + write("a9", "'03/01/09 8:02:00 AM'") +
                                 write("b9", "'0.10'") + QStringList{"release"};
    EXPECT_EQ(sheet.calls, expected);
}

TEST_F(Reports, MinuteRecordRowsStopBeforeTheRowLimit) {
    ScriptedPrompts prompts;
    prompts.expect(Kind::Confirm, SkipQuestion, Answer::No);
    std::vector<Event> events;
    for (int i = 0; i < 66000; ++i)
        events.push_back({At(3, 1) + i / 1440.0, 1});
    LoadEvents(events);
    sheet.logCalls = false;
    ExportByMinute(context(At(3, 1), At(6, 1)));
    EXPECT_EQ(sheet.highestRow, 65534);
    EXPECT_EQ(sheet.row(65534)[1], "0.10");
}

TEST_F(Reports, MinuteRecordNeverLandsBeyondTheRowLimitAfterALongFill) {
    // 70 days of empty minutes: the fillers run past row 65535, the record after them is left out.
    ScriptedPrompts prompts;
    prompts.expect(Kind::Confirm, SkipQuestion, Answer::No);
    LoadEvents({{At(3, 1, 8, 0), 1}, {At(3, 1, 8, 0) + 70, 5}});
    sheet.logCalls = false;
    ExportByMinute(context(At(3, 1, 8, 0), At(6, 1)));
    const int lastRow = 7 + 70 * 1440;
    EXPECT_EQ(sheet.highestRow, lastRow - 1);
    EXPECT_EQ(sheet.row(lastRow - 1)[1], "int 0");
    EXPECT_FALSE(sheet.cells.contains("a" + QString::number(lastRow)));
}

TEST_F(Reports, FillerRowsEndWithAnErrorAtTheSheetsLastRow) {
    // Fillers are not held to the row limit; the spreadsheet refuses the row after its last.
    ScriptedPrompts prompts;
    prompts.expect(Kind::Confirm, SkipQuestion, Answer::No);
    LoadEvents({{At(3, 1, 8, 0), 1}, {At(3, 1, 8, 0) + 10, 5}});
    sheet.lastRow = 2000;
    try {
        ExportByMinute(context(At(3, 1, 8, 0), At(6, 1)));
        FAIL() << "expected the spreadsheet's error";
    } catch (const OmbrexError& e) {
        EXPECT_EQ(e.message(), "No such cell: a2001");
    }
    EXPECT_EQ(sheet.highestRow, 2000);
    EXPECT_EQ(sheet.released, 1);
}

// --- interval report ---

struct IntervalCase {
    const char* name;
    std::vector<Event> events;
    TDateTime from, to;
    int minutes;
    QStringList rows;
};

class IntervalReport : public Reports, public ::testing::WithParamInterface<IntervalCase> {};

TEST_P(IntervalReport, WritesOneRowPerInterval) {
    const IntervalCase& c = GetParam();
    LoadEvents(c.events);
    ExportByInterval(context(c.from, c.to), c.minutes);
    EXPECT_EQ(sheet.rows(), c.rows);
}

const std::vector<Event> WorkedExample = {
    {At(3, 1, 7, 50), 5}, {At(3, 1, 8, 2), 1}, {At(3, 1, 8, 7), 2}, {At(3, 1, 8, 30), 1}};
const QStringList WorkedRows = {"03/01/09 8:00:00 AM|0.00|", "03/01/09 8:05:00 AM|0.10|",
                                "03/01/09 8:10:00 AM|0.20|", "03/01/09 8:15:00 AM|0.00|",
                                "03/01/09 8:20:00 AM|0.00|", "03/01/09 8:25:00 AM|0.00|",
                                "03/01/09 8:30:00 AM|0.10|"};

INSTANTIATE_TEST_SUITE_P(
    Cases, IntervalReport,
    ::testing::Values(
        IntervalCase{"WorkedExample", WorkedExample, At(3, 1, 8, 0), At(3, 1, 8, 30), 5,
                     WorkedRows},
        IntervalCase{"WorkedExampleLaterRangeTo", WorkedExample, At(3, 1, 8, 0), At(3, 1, 9, 0), 5,
                     WorkedRows},
        IntervalCase{"RecordAtAnIntervalEndBelongsToIt",
                     {{At(3, 1, 8, 0), 1}, {At(3, 1, 8, 5), 3}, {At(3, 1, 8, 6), 1}},
                     At(3, 1, 8, 0),
                     At(3, 1, 8, 10),
                     5,
                     {"03/01/09 8:00:00 AM|0.10|", "03/01/09 8:05:00 AM|0.30|",
                      "03/01/09 8:10:00 AM|0.10|"}},
        IntervalCase{"MarkerRecordClosesTheIntervalInProgress",
                     {{At(3, 1, 8, 2), 1}, {At(1, 1, 0, 0, 2002), 2}, {At(1, 1, 0, 3, 2002), 1}},
                     At(3, 1, 8, 0),
                     At(3, 9),
                     5,
                     {"03/01/09 8:00:00 AM|0.00|",
                      "01/01/02 12:05:00 AM|0.10| - Warning! Power Reset.",
                      "01/01/02 12:10:00 AM|0.30|"}},
        IntervalCase{"ClockSetAgainAfterAResetGoesOnWithTheGridWithoutEmptyRows",
                     {{At(3, 1, 8, 2), 1}, {At(1, 1, 0, 0, 2002), 0}, {At(3, 1, 8, 12), 2}},
                     At(3, 1, 8, 0),
                     At(3, 1, 9, 0),
                     5,
                     {"03/01/09 8:00:00 AM|0.00|",
                      "01/01/02 12:05:00 AM|0.10| - Warning! Power Reset.",
                      "03/01/09 8:15:00 AM|0.20|"}},
        IntervalCase{"ClockSetAgainWithinTheIntervalBeforeTheReset",
                     {{At(3, 1, 8, 2), 1}, {At(1, 1, 0, 0, 2002), 0}, {At(3, 1, 8, 3), 2}},
                     At(3, 1, 8, 0),
                     At(3, 1, 9, 0),
                     5,
                     {"03/01/09 8:00:00 AM|0.00|",
                      "01/01/02 12:05:00 AM|0.10| - Warning! Power Reset.",
                      "03/01/09 8:05:00 AM|0.20|"}},
        IntervalCase{"RangeToInsideAnIntervalEndsWithThatInterval",
                     {{At(3, 1, 8, 2), 1}, {At(3, 1, 8, 6), 2}, {At(3, 1, 8, 8), 4}},
                     At(3, 1, 8, 0),
                     At(3, 1, 8, 7),
                     5,
                     {"03/01/09 8:00:00 AM|0.00|", "03/01/09 8:05:00 AM|0.10|",
                      "03/01/09 8:10:00 AM|0.20|"}},
        IntervalCase{"RecordWithinAMillisecondAfterRangeToEndsTheReport",
                     {{At(3, 1, 8, 2), 1}, {At(3, 1, 8, 6) + 0.4 * Ms, 2}, {At(3, 1, 8, 8), 4}},
                     At(3, 1, 8, 0),
                     At(3, 1, 8, 6),
                     5,
                     {"03/01/09 8:00:00 AM|0.00|", "03/01/09 8:05:00 AM|0.10|",
                      "03/01/09 8:10:00 AM|0.20|"}},
        IntervalCase{"RecordAfterRangeToEndsWithoutEmptyIntervals",
                     {{At(3, 1, 8, 2), 1}, {At(3, 1, 8, 40), 1}},
                     At(3, 1, 8, 0),
                     At(3, 1, 8, 10),
                     5,
                     {"03/01/09 8:00:00 AM|0.00|", "03/01/09 8:05:00 AM|0.10|"}},
        IntervalCase{"HourIntervalsFromAnOddStart",
                     {{At(3, 1, 8, 10), 2}, {At(3, 1, 9, 40), 1}},
                     At(3, 1, 8, 30) + 20 * 1000 * Ms,
                     At(3, 1, 12, 0),
                     60,
                     {"03/01/09 8:30:00 AM|0.20|", "03/01/09 9:30:00 AM|0.00|",
                      "03/01/09 10:30:00 AM|0.10|"}},
        IntervalCase{"EmptyTableWritesNothing", {}, At(3, 1), At(3, 2), 5, {}},
        IntervalCase{"NothingInRangeWritesNothing",
                     {{At(3, 1, 8, 0), 1}},
                     At(3, 1, 9, 0),
                     At(3, 1, 10, 0),
                     5,
                     {}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- day report ---

TEST_F(Reports, DayReportTakesWholeDaysOfTheRange) {
    LoadEvents(
        {{At(3, 2, 9, 0), 1}, {At(3, 3, 9, 0), 2}, {At(3, 5, 10, 0), 4}, {At(3, 7, 1, 0), 1}},
        true);
    ExportByDay(context(At(3, 3, 16, 0), At(3, 5, 8, 0)));
    EXPECT_EQ(sheet.rows(), (QStringList{"03/03/09|0.20|", "03/04/09|0.00|", "03/05/09|0.40|"}));
    // The remark cell is written even when empty, after a black colour on cell A.
    const QStringList firstRow =
        QStringList{"Range(a7)", "select", "Selection", "font", "Color=0"} +
        write("a7", "'03/03/09'") + write("b7", "'0.20'") + write("c7", "''");
    EXPECT_EQ(sheet.calls.mid(4, firstRow.size()), firstRow);
    EXPECT_EQ(sheet.calls.mid(0, 4), start());
    EXPECT_EQ(sheet.calls.last(), "release");
}

TEST_F(Reports, DayReportColoursADateRunningBackwardsRed) {
    LoadEvents({{At(3, 5, 10, 0), 1}, {At(3, 3, 9, 0), 2}, {At(3, 4, 9, 0), 1}}, true);
    ExportByDay(context(At(3, 1), At(3, 31)));
    const QStringList rows = sheet.rows();
    ASSERT_GE(rows.size(), 3);
    EXPECT_EQ(rows.mid(0, 3),
              (QStringList{"03/05/09|0.10|", "03/03/09|0.20| - Warning! Date Squence Error.",
                           "03/04/09|0.10|"}));
    EXPECT_EQ(sheet.colorOf("a7"), 0);
    EXPECT_EQ(sheet.colorOf("a8"), 255);
    EXPECT_EQ(sheet.colorOf("a9"), 0);
}

TEST_F(Reports, DayReportMarkerRowsKeepTheirColour) {
    // 406 days apart: the daily table holds a sequence-error day between them.
    LoadEvents({{At(1, 10, 8, 0, 2008), 1}, {At(2, 20, 8, 0, 2009), 2}}, true);
    ExportByDay(context(At(1, 1, 0, 0, 2008), At(12, 31)));
    EXPECT_EQ(sheet.rows(), (QStringList{"01/10/08|0.10|", "01/01/01|0.00| - Warning! Power Reset.",
                                         "02/20/09|0.20|"}));
    EXPECT_EQ(sheet.colorOf("a7"), 0);
    EXPECT_EQ(sheet.colorOf("a8"), -1);
    EXPECT_EQ(sheet.colorOf("a9"), 0);
}

TEST_F(Reports, DayAndMinuteReportsSayNoDataForAnEmptyTable) {
    ExportByDay(context(At(3, 1), At(3, 2)));
    EXPECT_EQ(sheet.calls, start() + write("c7", "'No Data Available'") + QStringList{"release"});
}

TEST_F(Reports, DayReportStopsBeforeTheRowLimit) {
    // Events 300 days apart: the daily table fills the days between with zero days.
    std::vector<Event> events;
    for (int i = 0; i <= 66000; i += 300)
        events.push_back({At(1, 1, 8, 0, 1901) + i, 1});
    LoadEvents(events, true);
    ASSERT_GT(DataUnit::DailyCount(), 65600);
    sheet.logCalls = false;
    ExportByDay(context(At(1, 1, 0, 0, 1901), At(1, 1, 0, 0, 2100)));
    EXPECT_EQ(sheet.highestRow, 65534);
}

// --- events report ---

TEST_F(Reports, EventsReportCoversTheRangeAndNoRemarks) {
    DataUnit::BucketFactor = 254;
    LoadEvents(
        {{At(3, 1, 8, 0), 1}, {At(3, 1, 9, 0), 3}, {At(3, 1, 10, 0), 2}, {At(3, 1, 11, 0), 1}});
    // From within a millisecond of 09:00 (tolerance); to just before 10:00 (plain comparison).
    ExportEvents(context(At(3, 1, 9, 0) + 0.4 * Ms, At(3, 1, 10, 0) - 0.4 * Ms));
    EXPECT_EQ(sheet.calls, start() + write("a7", "'03/01/09 9:00:00 AM'") + write("b7", "'0.76'") +
                               QStringList{"release"});
}

TEST_F(Reports, EventsReportStopsBeforeTheRowLimit) {
    std::vector<Event> events;
    for (int i = 0; i < 65600; ++i)
        events.push_back({At(3, 1) + i / 1440.0, 1});
    LoadEvents(events);
    sheet.logCalls = false;
    ExportEvents(context(At(3, 1), At(12, 1)));
    EXPECT_EQ(sheet.highestRow, 65534);
    EXPECT_EQ(sheet.valueWrites, 65528 * 2);
    EXPECT_EQ(sheet.row(65534)[0], "04/15/09 12:07:00 PM");
}

TEST_F(Reports, EventsReportWritesNothingForAnEmptyTable) {
    ExportEvents(context(At(3, 1), At(3, 2)));
    EXPECT_EQ(sheet.calls, start() + QStringList{"release"});
}

// --- the reports agree ---

// Tips in column B of every row written, fillers included.
int32_t TipsWritten(const RecordingSpreadsheet& sheet) {
    int32_t tips = 0;
    for (int r = 7; r <= sheet.highestRow; ++r) {
        const QString depth = sheet.row(r)[1];
        if (depth.isEmpty() || depth == "int 0")
            continue;
        bool ok = false;
        tips += int32_t(std::lround(QLocale().toDouble(depth, &ok) * 10));
        EXPECT_TRUE(ok) << depth.toStdString();
    }
    return tips;
}

TEST_F(Reports, EveryReportGivesTheSameTotalForAnyRangeAndInterval) {
    auto t = [](int day, int hour, int minute, int second = 0) {
        return EncodeDateTime(2009, 3, day, hour, minute, second, 0);
    };
    // Records at interval ends, just after midnight and at midnight itself.
    const std::vector<Event> events = {
        {t(1, 6, 0), 1},       {t(1, 6, 3, 20), 2},  {t(1, 6, 5), 1},      {t(1, 6, 7, 30), 3},
        {t(1, 7, 0), 1},       {t(1, 7, 29, 59), 2}, {t(1, 12, 0), 1},     {t(1, 18, 44, 10), 4},
        {t(1, 23, 59, 30), 1}, {t(2, 0, 0), 2},      {t(2, 0, 0, 40), 1},  {t(2, 9, 15), 5},
        {t(2, 9, 16), 1},      {t(2, 9, 31), 2},     {t(2, 14, 10, 5), 3}, {t(2, 23, 45), 1},
        {t(3, 10, 0), 2},      {t(3, 10, 4), 1},     {t(3, 10, 20), 1},    {t(3, 22, 30), 3},
        {t(4, 0, 0), 1},       {t(4, 6, 0), 2}};
    // No record lies in the hour before any of these: the interval report's first row, which
    // reaches back one interval, adds nothing the others leave out.
    const TDateTime froms[] = {t(1, 0, 0), t(2, 3, 0), t(2, 9, 10, 30), t(3, 8, 30)};
    struct To {
        TDateTime at;
        bool wholeDays; // from a midnight, the day report covers the same records
    };
    const To tos[] = {{t(1, 6, 4), false},      {t(1, 6, 5), false},      {t(1, 7, 15), false},
                      {t(1, 23, 59, 59), true}, {t(2, 9, 15, 30), false}, {t(2, 23, 59, 59), true},
                      {t(3, 10, 2), false},     {t(3, 23, 59, 59), true}, {t(4, 0, 0), false},
                      {t(5, 12, 0), true}};
    LoadEvents(events, true);
    ScriptedPrompts prompts;
    for (const TDateTime from : froms)
        for (const To& to : tos) {
            if (to.at <= from)
                continue;
            int32_t expected = 0;
            for (const Event& e : events)
                if (CompareWithTolerance(e.at, from) >= 0 && CompareWithTolerance(e.at, to.at) <= 0)
                    expected += e.count;
            SCOPED_TRACE(qPrintable(DateTimeText(from) + " to " + DateTimeText(to.at)));
            auto total = [&](const std::function<void(const ReportContext&)>& run) {
                RecordingSpreadsheet sheet;
                sheet.logCalls = false;
                run(ReportContext{sheet.factory(), from, to.at, QString()});
                return TipsWritten(sheet);
            };
            EXPECT_EQ(total(ExportEvents), expected);
            if (to.wholeDays && from == std::trunc(from)) {
                EXPECT_EQ(total(ExportByDay), expected);
            }
            for (const bool skip : {false, true}) {
                prompts.expect(Kind::Confirm, SkipQuestion, skip ? Answer::Yes : Answer::No);
                EXPECT_EQ(total(ExportByMinute), expected) << "minute report, skip " << skip;
            }
            for (const int minutes : {5, 10, 15, 20, 30, 60}) {
                EXPECT_EQ(total([&](const ReportContext& c) { ExportByInterval(c, minutes); }),
                          expected)
                    << minutes << "-minute report";
            }
        }
}

TEST_F(Reports, ResetClockHistoryNeverFloodsTheGrid) {
    // Records, a power reset, records on the reset clock's 2002 dates, then the clock set again.
    const std::vector<Event> events = {{At(3, 1, 8, 0), 1},        {At(3, 1, 8, 2), 1},
                                       {At(1, 1, 0, 0, 2002), 0},  {At(1, 1, 0, 3, 2002), 2},
                                       {At(1, 1, 0, 20, 2002), 1}, {At(3, 5, 12, 0), 1},
                                       {At(3, 5, 12, 2), 1}};
    LoadEvents(events);
    ScriptedPrompts prompts;
    // The row written after the last one dated on the reset clock.
    auto rowAfterResetClock = [](const QStringList& rows) {
        for (qsizetype i = rows.size() - 1; i > 0; --i)
            if (rows[i - 1].mid(6, 2) == "02")
                return rows[i];
        return QString();
    };
    for (const TDateTime to : {At(3, 6), At(3, 2)}) {
        SCOPED_TRACE(qPrintable("to " + DateTimeText(to)));
        const bool clockSetInRange = to > At(3, 5);
        for (const bool skip : {false, true}) {
            RecordingSpreadsheet sheet;
            prompts.expect(Kind::Confirm, SkipQuestion, skip ? Answer::Yes : Answer::No);
            ExportByMinute(ReportContext{sheet.factory(), At(3, 1, 8, 0), to, QString()});
            const QStringList rows = sheet.rows();
            EXPECT_LT(rows.size(), 40) << "skip " << skip;
            EXPECT_EQ(rows.mid(0, 4), (QStringList{"03/01/09 8:00:00 AM|0.10|", Fill("8:01:00 AM"),
                                                   "03/01/09 8:02:00 AM|0.10|",
                                                   "01/01/02|0.00| - Warning! Power Reset."}));
            if (clockSetInRange) {
                EXPECT_EQ(rowAfterResetClock(rows),
                          skip ? "03/05/09 12:00:00 PM|0.10|New Rainfall Event"
                               : "03/05/09 12:00:00 PM|0.10|");
                EXPECT_EQ(rows.last(), "03/05/09 12:02:00 PM|0.10|");
                EXPECT_EQ(TipsWritten(sheet), 7);
            } else if (!skip) {
                EXPECT_EQ(rowAfterResetClock(rows), "03/02/09|0.00|");
                EXPECT_EQ(rows.last(), "03/02/09|0.00|");
            }
        }
        for (const int minutes : {5, 60}) {
            RecordingSpreadsheet sheet;
            ExportByInterval(ReportContext{sheet.factory(), At(3, 1, 8, 0), to, QString()},
                             minutes);
            const QStringList rows = sheet.rows();
            EXPECT_LT(rows.size(), 20) << minutes;
            EXPECT_EQ(TipsWritten(sheet), clockSetInRange ? 7 : 5) << minutes;
            if (clockSetInRange) {
                EXPECT_EQ(rowAfterResetClock(rows), "03/05/09 12:00:00 PM|0.10|");
            }
        }
    }
}

// --- failures and the hourglass ---

TEST_F(Reports, HourglassIsShownWhileWritingAndRestoredAfterAnError) {
    ASSERT_NE(qobject_cast<QGuiApplication*>(QCoreApplication::instance()), nullptr);
    LoadEvents({{At(3, 1, 8, 0), 1}, {At(3, 1, 9, 0), 2}, {At(3, 1, 10, 0), 3}});
    sheet.failAtAddress = "b8";
    try {
        ExportEvents(context(At(3, 1), At(3, 2)));
        FAIL() << "expected the spreadsheet's error";
    } catch (const OmbrexError& e) {
        EXPECT_EQ(e.message(), "The spreadsheet was closed");
    }
    EXPECT_TRUE(sheet.cursorAtEveryWrite);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(sheet.rows(), (QStringList{"03/01/09 8:00:00 AM|0.10|", "03/01/09 9:00:00 AM||"}));
    EXPECT_EQ(sheet.released, 1);
}

TEST_F(Reports, FailingTemplateStopsAfterVisibleWithoutHourglass) {
    LoadEvents({{At(3, 1, 8, 0), 1}});
    sheet.failOpen = "The report template is missing";
    ScriptedPrompts prompts;
    for (auto run : {+[](const ReportContext& c) { ExportByDay(c); },
                     +[](const ReportContext& c) { ExportEvents(c); },
                     +[](const ReportContext& c) { ExportByMinute(c); },
                     +[](const ReportContext& c) { ExportByInterval(c, 5); }}) {
        sheet.calls.clear();
        prompts.allowAny(Answer::No);
        try {
            run(context(At(3, 1), At(3, 2)));
            ADD_FAILURE() << "expected the template error";
        } catch (const OmbrexError& e) {
            EXPECT_EQ(e.message(), "The report template is missing");
        }
        EXPECT_EQ(sheet.calls, start() + QStringList{"release"});
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
}

} // namespace
