#include "AnalysisTestSupport.h"

#include "analysis/Summaries.h"

using namespace Analysis;

namespace {

TDateTime At(int y, int mo, int d, int h, int mi) {
    return EncodeDateTime(y, mo, d, h, mi);
}

Summaries FromTables() {
    const auto series = RainSeriesFromEvents();
    const double mm = MillimetresPerTip();
    return Summarise(series, mm, FindStorms(series, mm), LoggedSpansFromEvents());
}

} // namespace

TEST_F(AnalysisTest, AMonthWithAGapIsIncompleteAndCountsItsRain) {
    DataUnit::AppendEvent({At(2009, 1, 1, 0, 0), 0, {}});
    DataUnit::AppendEvent({At(2009, 1, 5, 10, 0), 2, {}});
    DataUnit::AppendEvent({At(2009, 1, 5, 20, 0), 1, {}}); // ten hours later: a storm of its own
    DataUnit::AppendEvent({At(2009, 1, 11, 0, 0), 0, QStringLiteral("Not logging")});
    DataUnit::AppendEvent({At(2009, 1, 21, 0, 0), 0, QStringLiteral("Logging again")});
    DataUnit::AppendEvent({At(2009, 1, 25, 8, 0), 4, {}});
    DataUnit::AppendEvent({At(2009, 2, 1, 0, 0), 0, {}}); // the download ends at midnight
    const Summaries s = FromTables();
    ASSERT_EQ(s.Months.size(), 1u);
    const PeriodSummary& jan = s.Months[0];
    EXPECT_EQ(jan.Year, 2009);
    EXPECT_EQ(jan.Month, 1);
    EXPECT_NEAR(jan.Completeness, 21.0 / 31.0, 1e-9);
    EXPECT_LT(jan.Completeness, 1.0);
    EXPECT_NEAR(jan.DepthMm, 7 * 0.254, 1e-12);
    EXPECT_EQ(jan.RainDays, 2);
    EXPECT_NEAR(jan.LargestDayMm, 4 * 0.254, 1e-12);
    EXPECT_EQ(jan.LargestDay, EncodeDate(2009, 1, 25));
    EXPECT_EQ(jan.Storms, 3);
    EXPECT_EQ(jan.ErosiveStorms, 0);
    EXPECT_EQ(jan.R, 0.0);
    ASSERT_EQ(s.Years.size(), 1u);
    EXPECT_NEAR(s.Years[0].Completeness, 21.0 / 365.0, 1e-9);
}

TEST_F(AnalysisTest, DecemberAndJanuaryFallIntoTheirOwnYears) {
    DataUnit::AppendEvent({At(2008, 12, 1, 0, 0), 0, {}});
    DataUnit::AppendEvent({At(2008, 12, 31, 23, 50), 1, {}});
    DataUnit::AppendEvent({At(2009, 1, 1, 0, 10), 2, {}});
    DataUnit::AppendEvent({At(2009, 2, 1, 0, 0), 0, {}});
    const Summaries s = FromTables();
    ASSERT_EQ(s.Years.size(), 2u);
    EXPECT_EQ(s.Years[0].Year, 2008);
    EXPECT_EQ(s.Years[1].Year, 2009);
    EXPECT_NEAR(s.Years[0].DepthMm, 0.254, 1e-12);
    EXPECT_NEAR(s.Years[1].DepthMm, 0.508, 1e-12);
    // One storm across midnight: it belongs to the year it started in.
    EXPECT_EQ(s.Years[0].Storms, 1);
    EXPECT_EQ(s.Years[1].Storms, 0);
    EXPECT_NEAR(s.Years[0].Completeness, 31.0 / 366.0, 1e-9);
    ASSERT_EQ(s.Months.size(), 2u);
    EXPECT_EQ(s.Months[0].Month, 12);
    EXPECT_EQ(s.Months[1].Month, 1);
    EXPECT_DOUBLE_EQ(s.Months[0].Completeness, 1.0);
    EXPECT_DOUBLE_EQ(s.Months[1].Completeness, 1.0);
}

TEST_F(AnalysisTest, ErosivityOfAPeriodSumsItsErosiveStormsOnly) {
    DataUnit::BucketFactor = 1000; // 1 mm a tip
    DataUnit::AppendEvent({At(2009, 6, 1, 0, 0), 0, {}});
    for (int m = 0; m < 30; ++m)
        DataUnit::AppendEvent({At(2009, 6, 3, 14, m), 1, {}});
    DataUnit::AppendEvent({At(2009, 6, 20, 9, 0), 1, {}}); // 1 mm: not erosive
    DataUnit::AppendEvent({At(2009, 7, 10, 0, 0), 0, {}});
    const Summaries s = FromTables();
    ASSERT_EQ(s.Months.size(), 2u);
    const PeriodSummary& june = s.Months[0];
    EXPECT_EQ(june.Storms, 2);
    EXPECT_EQ(june.ErosiveStorms, 1);
    EXPECT_NEAR(june.R, 503.3, 0.05);
    EXPECT_DOUBLE_EQ(june.LargestI60MmH, 30.0);
    EXPECT_DOUBLE_EQ(june.LargestDayMm, 30.0);
    EXPECT_DOUBLE_EQ(june.Completeness, 1.0);
    EXPECT_NEAR(s.Months[1].Completeness, 9.0 / 31.0, 1e-9);
    EXPECT_NEAR(s.Years[0].R, june.R, 1e-12);
}
