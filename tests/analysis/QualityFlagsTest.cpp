#include "analysis/QualityFlags.h"
#include "analysis/FlagDecisionStore.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Analysis;

namespace {

const TDateTime kDay = EncodeDate(2009, 3, 1);

TDateTime At(int day, int hour, int minute) {
    return kDay + day + EncodeTime(hour, minute);
}

struct Row {
    TDateTime when;
    int32_t count;
    std::string expected;
    const char16_t* message = u"";
};

struct FlagCase {
    const char* name;
    double mmPerTip;
    std::function<std::vector<Row>()> rows;
    QualityContext context = {};
    QualitySettings settings = {};
};

// Whole hours of steady rain: `tips` each minute for `minutes` minutes from hour:00.
void Steady(std::vector<Row>& rows, int day, int hour, int minutes, int tips, const char* flag) {
    for (int m = 0; m < minutes; ++m)
        rows.push_back({At(day, hour, m), tips, flag});
}

const FlagCase kCases[] = {
    {"test tips after the clock was set and before the download", 0.254,
     [] {
         return std::vector<Row>{{At(0, 8, 0), 0, ""},   {At(0, 8, 0), 1, "I"},
                                 {At(0, 8, 5), 1, "I"},  {At(0, 8, 6), 1, ""},
                                 {At(0, 13, 49), 1, ""}, {At(0, 13, 50), 1, "D"},
                                 {At(0, 14, 0), 2, "D"}, {At(0, 14, 0), 0, ""}};
     }},
    {"a minute at the rate ceiling and minutes above it", 0.2,
     [] {
         // 25 tips of 0.2 mm in a minute are 300 mm/h exactly.
         return std::vector<Row>{{At(0, 0, 0), 0, ""},    {At(0, 10, 0), 25, ""},
                                 {At(0, 10, 1), 26, "P"}, {At(0, 10, 3), 13, "P"},
                                 {At(0, 10, 3), 13, "P"}, {At(0, 23, 0), 0, ""}};
     }},
    {"an hour at and an hour above its ceiling", 0.2,
     [] {
         std::vector<Row> rows{{At(0, 0, 0), 0, ""}};
         Steady(rows, 0, 10, 60, 10, ""); // 120 mm
         Steady(rows, 0, 12, 60, 10, "H");
         rows.push_back({At(0, 12, 30), 1, "H"}); // 120.2 mm
         rows.push_back({At(0, 23, 0), 0, ""});
         return rows;
     }},
    {"a day at and a day above its ceiling", 0.2,
     [] {
         std::vector<Row> rows{{At(0, 0, 0), 0, ""}};
         for (int hour = 1; hour <= 5; ++hour) // 5 x 100 mm, no hour above 120
             Steady(rows, 0, hour, 50, 10, "");
         for (int hour = 1; hour <= 5; ++hour)
             Steady(rows, 1, hour, 50, 10, "Y");
         rows.push_back({At(1, 22, 0), 1, "Y"});
         rows.push_back({At(2, 23, 0), 0, ""});
         return rows;
     }},
    {"records around a power reset and a sequence error", 0.254,
     [] {
         return std::vector<Row>{{At(0, 8, 0), 0, ""},
                                 {At(0, 9, 0), 1, ""},
                                 {At(0, 9, 30), 3, "M"},
                                 {DataUnit::PowerResetDate, 0, "M"},
                                 {At(0, 9, 40), 1, "M"},
                                 {At(0, 11, 0), 1, "M"},
                                 {DataUnit::SequenceErrorDate, 0, "M"},
                                 {At(0, 11, 5), 2, "M"},
                                 {At(0, 15, 0), 1, ""},
                                 {At(0, 18, 0), 0, ""}};
     }},
    {"a not-logging gap: its edges are a download and a clock setting", 0.254,
     [] {
         return std::vector<Row>{{At(0, 8, 0), 0, ""},
                                 {At(0, 9, 0), 1, ""},
                                 {At(0, 9, 55), 1, "D"},
                                 {At(0, 10, 0), 0, "G", u"Not logging"},
                                 {At(2, 8, 0), 0, "G", u"Logging again"},
                                 {At(2, 8, 3), 1, "I"},
                                 {At(2, 12, 0), 1, ""},
                                 {At(2, 18, 0), 0, ""}};
     }},
    {"downloads and clock settings the archive knows of", 0.254,
     [] {
         return std::vector<Row>{{At(0, 8, 0), 0, ""},  {At(0, 12, 2), 1, "I"},
                                 {At(0, 12, 8), 1, ""}, {At(0, 15, 55), 1, "D"},
                                 {At(0, 16, 1), 1, ""}, {At(0, 23, 0), 0, ""}};
     },
     QualityContext{{At(0, 16, 0)}, {At(0, 12, 0)}}},
    {"a station's own windows and ceilings",
     0.2,
     [] {
         return std::vector<Row>{{At(0, 8, 0), 0, ""},   {At(0, 8, 1), 1, "I"},
                                 {At(0, 8, 2), 1, ""},   {At(0, 10, 0), 11, "P"},
                                 {At(0, 10, 5), 10, ""}, {At(0, 11, 0), 1, "D"},
                                 {At(0, 11, 1), 0, ""}};
     },
     {},
     QualitySettings{1, 1, 120, 1000, 1000, 0}},
};

class FlagTable : public ::testing::TestWithParam<FlagCase> {};

TEST_P(FlagTable, FlagsEachRecordAsExpected) {
    const FlagCase& c = GetParam();
    const std::vector<Row> rows = c.rows();
    std::vector<TRainRecord> records;
    for (const Row& r : rows)
        records.push_back({r.when, r.count, QString::fromUtf16(r.message)});
    const std::vector<std::string> flags = FlagRecords(records, c.mmPerTip, c.settings, c.context);
    ASSERT_EQ(flags.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(flags[i], rows[i].expected) << "record " << i;
}

INSTANTIATE_TEST_SUITE_P(Cases, FlagTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(QualityFlags, BucketBeyondItsMechanicsIsFlaggedWhereTheRateCeilingIsNot) {
    QualitySettings s;
    s.RateCeilingMmH = 1e9;
    s.HourCeilingMm = s.DayCeilingMm = 1e9;
    s.TipTimeConstantS = 0.45;
    const std::vector<TRainRecord> records{{At(0, 0, 0), 0, {}},
                                           {At(0, 10, 0), 66, {}},
                                           {At(0, 10, 1), 67, {}},
                                           {At(0, 23, 0), 0, {}}};
    const auto flags = FlagRecords(records, 0.254, s);
    EXPECT_EQ(flags[1], "");
    EXPECT_EQ(flags[2], "P");
}

TEST(QualityFlags, SeveralLettersOnOneRecordInVocabularyOrder) {
    // A burst right after launch, above the rate ceiling, beside a power reset.
    const std::vector<TRainRecord> records{{At(0, 8, 0), 0, {}},
                                           {At(0, 8, 1), 40, {}},
                                           {DataUnit::PowerResetDate, 0, {}},
                                           {At(0, 20, 0), 0, {}}};
    EXPECT_EQ(FlagRecords(records, 0.254)[1], "IPM");
}

TEST(QualityFlags, LeavingOutAcceptedFlagsKeepsDismissedOnesAndTheBreak) {
    DataUnit::ClearTables();
    for (const TRainRecord& r : std::vector<TRainRecord>{{At(0, 8, 0), 0, {}},
                                                         {At(0, 8, 1), 1, {}}, // I, accepted
                                                         {At(0, 9, 0), 2, {}},
                                                         {DataUnit::PowerResetDate, 0, {}},
                                                         {At(0, 9, 30), 3, {}}, // M, accepted
                                                         {At(0, 10, 0), 4, {}},
                                                         {At(0, 17, 55), 5, {}}, // D, dismissed
                                                         {At(0, 18, 0), 0, {}}})
        DataUnit::AppendEvent(r);
    DataUnit::BucketFactor = 200;
    const auto flags = FlagEvents();
    ASSERT_EQ(flags[1], "I");
    ASSERT_EQ(flags[2], "M");
    ASSERT_EQ(flags[4], "M");
    ASSERT_EQ(flags[6], "D");

    MemoryFlagDecisionStore store;
    store.Put({{1, 'I'}, FlagVerdict::Accepted, At(5, 12, 0)});
    store.Put({{4, 'M'}, FlagVerdict::Accepted, At(5, 12, 0)});
    store.Put({{6, 'D'}, FlagVerdict::Dismissed, At(5, 12, 1)});
    store.Put({{5, 'I'}, FlagVerdict::Accepted, At(5, 12, 1)}); // no such flag: no effect
    const std::vector<RainMinute> series =
        RainSeriesFromEvents(RecordsWithAcceptedFlags(flags, store));
    ASSERT_EQ(series.size(), 3u);
    EXPECT_EQ(series[0].Tips, 2);
    EXPECT_FALSE(series[0].BreakBefore);
    EXPECT_EQ(series[1].Tips, 4);
    EXPECT_TRUE(series[1].BreakBefore); // the left-out record's break passes on
    EXPECT_EQ(series[2].Tips, 5);

    store.Remove({1, 'I'});
    EXPECT_EQ(RainSeriesFromEvents(RecordsWithAcceptedFlags(flags, store)).size(), 4u);
    EXPECT_EQ(store.All().size(), 3u);
    DataUnit::ClearTables();
    DataUnit::BucketFactor = 10;
}

} // namespace
