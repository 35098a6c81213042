#pragma once

#include "analysis/RainSeries.h"

#include <cstdint>
#include <utility>
#include <vector>

// What a hyetograph is drawn from, gathered once per table: the rain series, the stretches
// covered by logging, and the tips of flagged records per minute.
struct HyetographInput {
    std::vector<RainMinute> Series;
    std::vector<LoggedSpan> Spans;
    std::vector<RainMinute> Flagged;
    double MmPerTip = 0.2;
};

// One interval [Start, Start + minutes) of the hyetograph, depths in millimetres.
struct HyetographBin {
    int64_t Start = 0; // minute number
    double DepthMm = 0;
    double FlaggedMm = 0;    // the part of DepthMm from flagged records
    double CumulativeMm = 0; // from the range's start to this interval's end
    bool Covered = false;    // some minute of it was logged (or holds rain)
};

inline constexpr int32_t kHyetographIntervals[] = {1, 5, 10, 15, 30, 60, 1440};

// The shortest interval that gives at most `maxBins` intervals over the range.
int32_t AutoIntervalMinutes(int64_t rangeMinutes, int32_t maxBins);

// Intervals on the grid of `interval` minutes from midnight, from the one holding `from` to the
// one holding `to` - 1.
std::vector<HyetographBin> IntervalSums(const HyetographInput& input, int64_t from, int64_t to,
                                        int32_t interval);

// At most `columns` bars: consecutive intervals merged, each keeping the largest depth of its
// group (a hyetograph's peaks must survive), the group's last cumulative depth, and covered when
// any of its intervals is.
std::vector<HyetographBin> DecimateBins(const std::vector<HyetographBin>& bins, int32_t columns);

// The parts of [from, to) no logged stretch covers, in minutes.
std::vector<std::pair<int64_t, int64_t>> UncoveredStretches(const std::vector<LoggedSpan>& spans,
                                                            int64_t from, int64_t to);
