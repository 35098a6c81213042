#include "AnalysisTestSupport.h"

#include "analysis/Storms.h"

#include <cmath>
#include <limits>

using namespace Analysis;

namespace {

size_t DurationIndex(int32_t minutes) {
    for (size_t d = 0; d < kDurationCount; ++d)
        if (kDurations[d] == minutes)
            return d;
    ADD_FAILURE() << "no duration " << minutes;
    return 0;
}

double I(const Storm& s, int32_t minutes) {
    return s.MaxIntensityMmH[DurationIndex(minutes)];
}

struct SeparationCase {
    const char* name;
    std::vector<int64_t> minutes;
    int32_t separation;
    size_t storms;
};

} // namespace

TEST(Storms, ANewStormStartsOnlyAfterMoreThanTheSeparation) {
    const SeparationCase cases[] = {
        {"00:00 and 05:59", {0, 359}, 360, 1},
        {"00:00 and 06:00", {0, 360}, 360, 1},
        {"00:00 and 06:01", {0, 361}, 360, 2},
        {"00:00, 03:00, 06:01: rain restarts the dry clock", {0, 180, 361}, 360, 1},
        {"separation 60: 00:00, 01:00, 02:01", {0, 60, 121}, 60, 2},
        {"separation 60: 00:00, 01:01", {0, 61}, 60, 2},
        {"separation 0: every rain minute alone", {0, 1, 3}, 0, 3},
    };
    for (const SeparationCase& c : cases) {
        std::vector<RainMinute> series;
        for (int64_t m : c.minutes)
            series.push_back({Minute(m), 1});
        const auto storms = FindStorms(series, 0.2, {c.separation, EnergyEquation::BrownFoster});
        EXPECT_EQ(storms.size(), c.storms) << c.name;
    }
}

TEST(Storms, DurationCountsBothEndMinutes) {
    // 01:35 and 02:52.
    const auto storms = FindStorms(TipsAt({95, 172}), 0.2);
    ASSERT_EQ(storms.size(), 1u);
    EXPECT_EQ(storms[0].DurationMinutes, 78);
    EXPECT_EQ(storms[0].Start, Minute(95));
    EXPECT_EQ(storms[0].End, Minute(172));
    EXPECT_EQ(FindStorms(TipsAt({95}), 0.2)[0].DurationMinutes, 1);
}

TEST(Storms, ThirtyMinutesOfOneMillimetreIsTheWorkedExample) {
    const auto storms = FindStorms(Steady(0, 30), 1.0);
    ASSERT_EQ(storms.size(), 1u);
    const Storm& s = storms[0];
    EXPECT_EQ(s.Tips, 30);
    EXPECT_DOUBLE_EQ(s.DepthMm, 30.0);
    EXPECT_NEAR(s.EnergyMJPerHa, 8.388, 0.0005);
    EXPECT_DOUBLE_EQ(I(s, 30), 60.0);
    EXPECT_NEAR(s.EI30, 503.3, 0.05);
    EXPECT_TRUE(s.Erosive);
    EXPECT_EQ(s.I30Start, Minute(0));
    // Every shorter duration sees 1 mm a minute, every longer one still divides by itself.
    EXPECT_DOUBLE_EQ(I(s, 5), 60.0);
    EXPECT_DOUBLE_EQ(I(s, 60), 30.0);
    EXPECT_DOUBLE_EQ(I(s, 1440), 30.0 * 60 / 1440);
}

TEST(Storms, ThirtyMinutesOfATenthIsNotErosive) {
    const auto storms = FindStorms(Steady(0, 30), 0.1);
    ASSERT_EQ(storms.size(), 1u);
    EXPECT_NEAR(storms[0].DepthMm, 3.0, 1e-12);
    EXPECT_NEAR(I(storms[0], 15), 6.0, 1e-12);
    EXPECT_FALSE(storms[0].Erosive);
}

TEST(Storms, ErosiveRuleIncludesItsLimits) {
    // The inch collector: 0.254 mm a tip. One tip every 40 minutes never comes near the I15
    // limit; tips within the first 15 minutes (under 12.7 mm in all) never near the depth limit.
    auto spread = [](int tips) {
        std::vector<RainMinute> s;
        for (int i = 0; i < tips; ++i)
            s.push_back({Minute(40 * i), 1});
        return s;
    };
    auto burst = [](int tips) {
        std::vector<RainMinute> s;
        for (int i = 0; i < tips; ++i)
            s.push_back({Minute(i % 15), 1});
        return s;
    };
    struct Case {
        const char* name;
        std::vector<RainMinute> series;
        double depth, i15;
        bool erosive;
    };
    const Case cases[] = {
        {"49 tips spread out", spread(49), 12.446, 1.016, false},
        {"50 tips spread out: exactly 12.7 mm", spread(50), 12.7, 1.016, true},
        {"24 tips in 15 minutes", burst(24), 6.096, 24.384, false},
        {"25 tips in 15 minutes: exactly 25.4 mm/h", burst(25), 6.35, 25.4, true},
    };
    for (const Case& c : cases) {
        const auto storms = FindStorms(c.series, 0.254);
        ASSERT_EQ(storms.size(), 1u) << c.name;
        EXPECT_NEAR(storms[0].DepthMm, c.depth, 1e-9) << c.name;
        EXPECT_NEAR(I(storms[0], 15), c.i15, 1e-9) << c.name;
        EXPECT_EQ(storms[0].Erosive, c.erosive) << c.name;
    }
    EXPECT_TRUE(IsErosive(12.7, 0));
    EXPECT_TRUE(IsErosive(0, 25.4));
    EXPECT_FALSE(IsErosive(12.69, 25.39));
}

TEST(Storms, AStormShorterThanTheDurationStillDividesByIt) {
    // 10 mm in 10 minutes: I30 = 10 mm / 0.5 h.
    const auto storms = FindStorms(Steady(0, 10), 1.0);
    ASSERT_EQ(storms.size(), 1u);
    EXPECT_DOUBLE_EQ(I(storms[0], 30), 20.0);
    EXPECT_DOUBLE_EQ(I(storms[0], 10), 60.0);
    EXPECT_DOUBLE_EQ(I(storms[0], 5), 60.0);
    EXPECT_DOUBLE_EQ(I(storms[0], 60), 10.0);
}

TEST(Storms, PeakIntensityIsTheBestWindowAnywhereInTheStorm) {
    // A light start, a burst of 6 tips in minutes 100..104, a tip at 130: I5 and I30 sit on
    // the burst, I60 also holds the late tip, I180 the whole storm.
    std::vector<RainMinute> series = TipsAt({0, 20, 40, 130});
    for (int m = 100; m < 105; ++m)
        series.push_back({Minute(m), m == 102 ? 2 : 1});
    const auto storms = FindStorms(series, 0.5);
    ASSERT_EQ(storms.size(), 1u);
    EXPECT_DOUBLE_EQ(I(storms[0], 5), 6 * 0.5 * 12);
    EXPECT_DOUBLE_EQ(I(storms[0], 30), 6 * 0.5 * 2);
    EXPECT_EQ(storms[0].I30Start, Minute(100));
    EXPECT_DOUBLE_EQ(I(storms[0], 60), 7 * 0.5);
    EXPECT_DOUBLE_EQ(I(storms[0], 180), 10 * 0.5 / 3);
}

TEST(Storms, EachEnergyEquationFollowsItsPublishedForm) {
    // e(i) in MJ/(ha mm) worked out from the three equations; one minute of depth p has
    // i = 60 p and energy e(i) p.
    struct Case {
        double i, brownFoster, mcGregor, usle;
    };
    const Case cases[] = {
        {6.0, 0.135317, 0.162339, 0.186933},   {15.24, 0.192546, 0.230159, 0.222275},
        {30.0, 0.243410, 0.272161, 0.247953},  {60.0, 0.279604, 0.288476, 0.274233},
        {76.0, 0.285329, 0.289590, 0.283195},  {100.0, 0.288593, 0.289943, 0.283000},
        {254.0, 0.289999, 0.290000, 0.283000},
    };
    for (const Case& c : cases) {
        const double p = c.i / 60.0;
        const std::vector<RainMinute> one = {{Minute(0), 1}};
        const struct {
            EnergyEquation eq;
            double e;
        } eqs[] = {{EnergyEquation::BrownFoster, c.brownFoster},
                   {EnergyEquation::McGregor, c.mcGregor},
                   {EnergyEquation::Usle, c.usle}};
        for (const auto& q : eqs) {
            EXPECT_NEAR(UnitEnergy(c.i, q.eq), q.e, 5e-7) << "i = " << c.i << ", eq " << int(q.eq);
            const auto storms = FindStorms(one, p, {360, q.eq});
            ASSERT_EQ(storms.size(), 1u);
            EXPECT_NEAR(storms[0].EnergyMJPerHa, q.e * p, 5e-7 * p) << "i = " << c.i;
            EXPECT_NEAR(storms[0].EI30, q.e * p * (p * 2), 5e-7 * p * p * 2) << "i = " << c.i;
        }
    }
    // The USLE cap starts strictly above 76 mm/h.
    EXPECT_GT(UnitEnergy(76.0, EnergyEquation::Usle), 0.283);
    EXPECT_EQ(UnitEnergy(76.0001, EnergyEquation::Usle), 0.283);
}

TEST(Storms, InputInAnyOrderWithRepeatedMinutesIsSortedAndAdded) {
    std::vector<RainMinute> series = {
        {Minute(500), 1}, {Minute(3), 2}, {Minute(0), 1}, {Minute(3), 3}, {Minute(1), 0}};
    const auto storms = FindStorms(series, 0.2);
    ASSERT_EQ(storms.size(), 2u);
    EXPECT_EQ(storms[0].Start, Minute(0));
    EXPECT_EQ(storms[0].End, Minute(3));
    EXPECT_EQ(storms[0].Tips, 6);
    EXPECT_DOUBLE_EQ(I(storms[0], 5), 6 * 0.2 * 12);
    EXPECT_EQ(storms[1].Start, Minute(500));
}

TEST(Storms, ABreakEndsTheStormEvenWithoutADrySpell) {
    std::vector<RainMinute> series = Steady(0, 3);
    series.push_back({Minute(3), 1, true});
    series.push_back({Minute(4), 1});
    const auto storms = FindStorms(series, 0.2);
    ASSERT_EQ(storms.size(), 2u);
    EXPECT_EQ(storms[0].End, Minute(2));
    EXPECT_EQ(storms[1].Start, Minute(3));
    EXPECT_EQ(storms[1].Tips, 2);
}

TEST(Storms, NoRainOrNoTipDepthGivesNoStorms) {
    EXPECT_TRUE(FindStorms({}, 0.2).empty());
    EXPECT_TRUE(FindStorms({{Minute(0), 0}}, 0.2).empty());
    EXPECT_TRUE(FindStorms(Steady(0, 3), 0).empty());
    EXPECT_TRUE(FindStorms(Steady(0, 3), std::nan("")).empty());
}

TEST(Storms, TimesNoLoggerWritesAreLeftOutAndHugeMinutesDoNotOverflow) {
    std::vector<RainMinute> series = {{std::nan(""), 5},
                                      {1e12, 5},
                                      {-1e12, 5},
                                      {Minute(0), std::numeric_limits<int32_t>::max()},
                                      {Minute(0), std::numeric_limits<int32_t>::max()}};
    const auto storms = FindStorms(series, 1.0);
    ASSERT_EQ(storms.size(), 1u);
    EXPECT_EQ(storms[0].Start, Minute(0));
    // Both records of the minute count in the depth, beyond what 32 bits hold.
    EXPECT_DOUBLE_EQ(storms[0].DepthMm, 2.0 * std::numeric_limits<int32_t>::max());
    EXPECT_TRUE(std::isfinite(storms[0].EI30));
}
