#pragma once

#include "analysis/RainSeries.h"
#include "data/DataUnit.h"

#include <gtest/gtest.h>
#include <vector>

// Every analysis test starts from empty tables and the default collector.
class AnalysisTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        DataUnit::ClearTables();
        DataUnit::BucketFactor = 10;
        DataUnit::SetStartTime(0);
    }
};

// Minute m after 2009-03-01 00:00.
inline TDateTime Minute(int64_t m) {
    return EncodeDate(2009, 3, 1) + double(m) / 1440.0;
}

// One tip in each of the given minutes after 2009-03-01 00:00.
inline std::vector<RainMinute> TipsAt(std::initializer_list<int64_t> minutes) {
    std::vector<RainMinute> series;
    for (int64_t m : minutes)
        series.push_back({Minute(m), 1});
    return series;
}

// `count` consecutive minutes of `tips` each from minute `first`.
inline std::vector<RainMinute> Steady(int64_t first, int count, int32_t tips = 1) {
    std::vector<RainMinute> series;
    for (int i = 0; i < count; ++i)
        series.push_back({Minute(first + i), tips});
    return series;
}
