#include "views/ReportLines.h"
#include "tests/support/TestUtil.h"
#include "tests/views/Fixtures.h"

#include <gtest/gtest.h>

using Fixtures::Event;

namespace {

struct Line {
    QString text;
    LineColour colour;
};

std::vector<Line> linesOf(const ReportLines& r) {
    std::vector<Line> out;
    EXPECT_EQ(size_t(r.texts.size()), r.colours.size());
    for (qsizetype i = 0; i < r.texts.size(); ++i)
        out.push_back({r.texts[i], r.colours[size_t(i)]});
    return out;
}

void expectLines(const ReportLines& got, const std::vector<Line>& want) {
    const std::vector<Line> lines = linesOf(got);
    ASSERT_EQ(lines.size(), want.size()) << got.texts.join('\n').toStdString();
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(lines[i].text, want[i].text) << "line " << i;
        EXPECT_EQ(int(lines[i].colour), int(want[i].colour))
            << "line " << i << " " << lines[i].text.toStdString();
    }
}

class ReportLinesTest : public ::testing::Test {
protected:
    void SetUp() override { DataUnit::BucketFactor = 10; }
    void TearDown() override {
        DataUnit::ClearTables();
        DataUnit::BucketFactor = 10;
    }
};

constexpr auto Blue = LineColour::Blue;
constexpr auto Red = LineColour::Red;
constexpr auto Grey = LineColour::Grey;

} // namespace

TEST_F(ReportLinesTest, EmptyTablesSayNoDataAvailable) {
    DataUnit::ClearTables();
    expectLines(BuildEventLines(), {{"No Data Available", Blue}});
    expectLines(BuildDailyLines(), {{"No Data Available", Blue}});
}

TEST_F(ReportLinesTest, EventLinesWithMessagesInRed) {
    Fixtures::LoadEvents({{EncodeDateTime(2009, 6, 15, 8, 0), 0},
                          {EncodeDateTime(2009, 6, 15, 14, 30), 5},
                          {EncodeDateTime(2009, 6, 15, 14, 31, 59), 123},
                          {EncodeDateTime(2009, 6, 16, 0, 5), 0, "Low Battery"},
                          {EncodeDateTime(2010, 1, 2, 23, 59), 1}});
    expectLines(BuildEventLines(), {{"06/15/09 08:00 - 0.00 :", Blue},
                                    {"06/15/09 14:30 - 0.05 :", Blue},
                                    {"06/15/09 14:31 - 1.23 :", Blue},
                                    {"06/16/09 00:05 - 0.00 :Low Battery", Red},
                                    {"01/02/10 23:59 - 0.01 :", Blue}});
}

TEST_F(ReportLinesTest, DailyLinesWithTheirWarnings) {
    Fixtures::LoadEvents({{EncodeDateTime(2009, 6, 15, 8, 0), 0},
                          {EncodeDateTime(2009, 6, 15, 14, 30), 37},
                          {EncodeDateTime(2009, 6, 18, 1, 0), 2}, // two dry days between
                          {DataUnit::PowerResetDate, 4},
                          {EncodeDateTime(2009, 6, 19, 9, 0), 3},
                          {EncodeDateTime(2009, 6, 17, 9, 0), 6}, // earlier than the day before
                          {DataUnit::SequenceErrorDate, 1}});
    expectLines(BuildDailyLines(), {{"06/15/09 - 0.37", Blue},
                                    {"06/16/09 - 0.00", Grey},
                                    {"06/17/09 - 0.00", Grey},
                                    {"06/18/09 - 0.02", Blue},
                                    {"01/01/02 - 0.04 - Warning! Power Reset.", Red},
                                    {"06/19/09 - 0.03", Blue},
                                    {"06/17/09 - 0.06Warning! Date Squence Error.", Red},
                                    {"01/01/01 - 0.01 - Warning! Power Reset.", Red}});
}

TEST_F(ReportLinesTest, FirstDayIsComparedWithDateTimeZero) {
    // A first day before 30 December 1899 is out of sequence against date-time 0; a dry one
    // is grey all the same, as the dry-day rule comes first.
    Fixtures::LoadEvents({{EncodeDateTime(1899, 12, 25, 10, 0), 3}});
    expectLines(BuildDailyLines(), {{"12/25/99 - 0.03Warning! Date Squence Error.", Red}});
    Fixtures::LoadEvents({{EncodeDateTime(1899, 12, 25, 10, 0), 0}});
    expectLines(BuildDailyLines(), {{"12/25/99 - 0.00", Grey}});
}

TEST_F(ReportLinesTest, DepthsFollowTheCollector) {
    Fixtures::LoadEvents({{EncodeDateTime(2020, 5, 1, 10, 0), 1},
                          {EncodeDateTime(2020, 5, 2, 10, 0), 2},
                          {EncodeDateTime(2020, 5, 3, 10, 0), 3}});
    DataUnit::BucketFactor = 254;
    EXPECT_EQ(BuildDailyLines().texts,
              QStringList({"05/01/20 - 0.25", "05/02/20 - 0.51", "05/03/20 - 0.76"}));
    DataUnit::BucketFactor = 500;
    EXPECT_EQ(BuildEventLines().texts[2], "05/03/20 10:00 - 1.50 :");
}

TEST_F(ReportLinesTest, FullMemoryGivesOneLinePerRecord) {
    Fixtures::LoadFullMemory();
    const ReportLines events = BuildEventLines();
    ASSERT_EQ(events.texts.size(), Fixtures::FullMemoryRecords);
    const ReportLines days = BuildDailyLines();
    ASSERT_EQ(days.texts.size(), DataUnit::DailyCount());
    // Every event line matches the record it stands for.
    for (int32_t i = 0; i < DataUnit::EventCount(); i += 997) {
        bool out = false;
        const TRainRecord r = DataUnit::GetEvent(i, out);
        EXPECT_EQ(events.texts[i], LoggerTimeText(r.DateTime) + " - " +
                                       DataUnit::FormatDepth(r.Count) + " :" + r.Message);
    }
}
