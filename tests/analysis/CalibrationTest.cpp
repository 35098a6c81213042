#include "analysis/Calibration.h"
#include "analysis/TableStorms.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Analysis;

namespace {

// δ = 0.45 s for a 0.254 mm bucket, the usual literature value.
struct CalibrationCase {
    int32_t tips;
    double low, high; // the corrected depth lies in [low, high]
    bool beyond;
};

const CalibrationCase kCases[] = {
    {0, 0, 0, false},
    {1, 0.254, 0.254 * 1.01, false},                                   // under 1 %
    {10, 2.745, 2.7499, false},                                        // 2.54 -> 2.75 mm
    {66, 16.764 * 60 / 30.3 - 1e-9, 16.764 * 60 / 30.3 + 1e-9, false}, // n·δ = 29.7 s
    {67, 17.018 - 1e-9, 17.018 + 1e-9, true},                          // beyond: left as it is
};

TEST(Calibration, TipTimeConstantTable) {
    for (const CalibrationCase& c : kCases) {
        const CorrectedMinute m = CorrectMinute(c.tips, 0.254, 0.45);
        EXPECT_GE(m.DepthMm, c.low) << c.tips << " tips";
        EXPECT_LE(m.DepthMm, c.high) << c.tips << " tips";
        EXPECT_EQ(m.Beyond, c.beyond) << c.tips << " tips";
    }
    EXPECT_GT(CorrectMinute(1, 0.254, 0.45).DepthMm, 0.254);
    EXPECT_NEAR(std::round(CorrectMinute(10, 0.254, 0.45).DepthMm * 100) / 100, 2.75, 1e-12);
}

TEST(Calibration, OffLeavesEveryMinuteRaw) {
    const std::vector<RainMinute> series{{0, 1}, {1.0 / 1440, 67}, {2.0 / 1440, 500}};
    const auto out = CorrectSeries(series, 0.2, 0);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_DOUBLE_EQ(out[1].DepthMm, 67 * 0.2);
    EXPECT_DOUBLE_EQ(out[2].DepthMm, 500 * 0.2);
    EXPECT_FALSE(out[2].Beyond);
    const auto on = CorrectSeries(series, 0.254, 0.45);
    EXPECT_FALSE(on[0].Beyond);
    EXPECT_TRUE(on[1].Beyond);
}

// One storm on a 0.254 mm bucket with δ = 0.45 s: 10 tips at 12:00 (2.54 -> 2.7459 mm), one at
// 12:01 (0.254 -> 0.2559 mm) and 67 at 12:40, beyond the bucket's mechanics and left at 17.018 mm.
TEST(Calibration, CorrectedStormsKeepTheirMinutesAndTakeTheCorrectedDepths) {
    const TDateTime noon = EncodeDateTime(2020, 6, 2, 12, 0);
    const std::vector<RainMinute> series{
        {noon, 10}, {noon + 1.0 / 1440, 1}, {noon + 40.0 / 1440, 67}};
    const double c0 = 2.54 * 60 / 55.5, c1 = 0.254 * 60 / 59.55, c40 = 67 * 0.254;
    const std::vector<Storm> raw = FindStorms(series, 0.254);
    ASSERT_EQ(raw.size(), 1u);
    const std::vector<Storm> corrected =
        CorrectStorms(raw, series, 0.254, 0.45, EnergyEquation::BrownFoster);
    ASSERT_EQ(corrected.size(), 1u);
    const Storm& s = corrected[0];
    EXPECT_EQ(s.Start, raw[0].Start);
    EXPECT_EQ(s.End, raw[0].End);
    EXPECT_EQ(s.Tips, 78);
    EXPECT_NEAR(raw[0].DepthMm, 19.812, 1e-9);
    EXPECT_NEAR(s.DepthMm, c0 + c1 + c40, 1e-9);
    const struct {
        size_t index;
        double mmH;
    } peaks[] = {{0, c40 * 12},               // I5: the 67 tips alone
                 {4, c40 * 2},                // I30: 12:40 is 40 minutes after 12:00
                 {5, (c0 + c1 + c40)},        // I60: all of it
                 {10, (c0 + c1 + c40) / 24}}; // I1440
    for (const auto& p : peaks)
        EXPECT_NEAR(s.MaxIntensityMmH[p.index], p.mmH, 1e-9) << kDurations[p.index];
    double energy = 0;
    for (double c : {c0, c1, c40})
        energy += UnitEnergy(60 * c, EnergyEquation::BrownFoster) * c;
    EXPECT_NEAR(s.EnergyMJPerHa, energy, 1e-9);
    EXPECT_NEAR(s.EI30, energy * c40 * 2, 1e-9);
    EXPECT_EQ(Analysis::MinuteNumber(s.I30Start), Analysis::MinuteNumber(noon + 40.0 / 1440));
    EXPECT_TRUE(s.Erosive);

    // The summaries sum the corrected minutes by day.
    const Summaries sums = Summarise(series, 0.254, corrected, {}, 0.45);
    ASSERT_EQ(sums.Months.size(), 1u);
    EXPECT_NEAR(sums.Months[0].DepthMm, c0 + c1 + c40, 1e-9);
    EXPECT_NEAR(sums.Months[0].LargestI60MmH, c0 + c1 + c40, 1e-9);
    EXPECT_NEAR(sums.Months[0].R, energy * c40 * 2, 1e-9);
    EXPECT_NEAR(Summarise(series, 0.254, raw, {}).Months[0].DepthMm, 19.812, 1e-9);
}

} // namespace
