#include "analysis/Calibration.h"

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

} // namespace
