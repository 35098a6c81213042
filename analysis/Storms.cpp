#include "analysis/Storms.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Analysis {

namespace {

// A storm's rain minutes as whole-minute numbers with their tips.
struct Wet {
    int64_t minute;
    int64_t tips;
};

// Largest tips in any `duration` consecutive minutes, and the first minute of the first window
// that holds them. A window that holds the largest sum can always be moved to start at a minute
// with rain, so only those starts are tried: two indices that only move forward.
std::pair<int64_t, int64_t> LargestWindow(const std::vector<Wet>& wet, size_t from, size_t to,
                                          int32_t duration) {
    int64_t best = 0, bestStart = wet[from].minute, sum = 0;
    size_t end = from; // one past the last minute inside the window starting at wet[begin]
    for (size_t begin = from; begin < to; ++begin) {
        const int64_t limit = wet[begin].minute + duration; // first minute outside
        while (end < to && wet[end].minute < limit)
            sum += wet[end++].tips;
        if (sum > best) {
            best = sum;
            bestStart = wet[begin].minute;
        }
        sum -= wet[begin].tips;
    }
    return {best, bestStart};
}

void Finish(const std::vector<Wet>& wet, size_t from, size_t to, double mmPerTip,
            const StormOptions& options, std::vector<Storm>& storms) {
    Storm s;
    s.Start = MinuteTime(wet[from].minute);
    s.End = MinuteTime(wet[to - 1].minute);
    const int64_t duration = wet[to - 1].minute - wet[from].minute + 1;
    s.DurationMinutes = int32_t(std::min<int64_t>(duration, std::numeric_limits<int32_t>::max()));
    int64_t tips = 0;
    double energy = 0;
    for (size_t k = from; k < to; ++k) {
        tips += wet[k].tips;
        const double depth = double(wet[k].tips) * mmPerTip;
        energy += UnitEnergy(60.0 * depth, options.Energy) * depth;
    }
    s.Tips = int32_t(std::min<int64_t>(tips, std::numeric_limits<int32_t>::max()));
    s.DepthMm = double(tips) * mmPerTip;
    for (size_t d = 0; d < kDurationCount; ++d) {
        const auto [most, start] = LargestWindow(wet, from, to, kDurations[d]);
        s.MaxIntensityMmH[d] = double(most) * mmPerTip * 60.0 / kDurations[d];
        if (kDurations[d] == 30)
            s.I30Start = MinuteTime(start);
    }
    s.EnergyMJPerHa = energy;
    s.EI30 = energy * s.MaxIntensityMmH[kI30];
    s.Erosive = IsErosive(s.DepthMm, s.MaxIntensityMmH[kI15]);
    storms.push_back(s);
}

} // namespace

double UnitEnergy(double intensityMmH, EnergyEquation equation) {
    if (!(intensityMmH > 0))
        return 0;
    switch (equation) {
    case EnergyEquation::McGregor:
        return 0.29 * (1.0 - 0.72 * std::exp(-0.082 * intensityMmH));
    case EnergyEquation::Usle:
        if (intensityMmH > 76.0)
            return 0.283;
        // Below about 0.04 mm/h the logarithm would give negative energy; no gauge tips so
        // finely, but a rain minute never takes energy away.
        return std::max(0.0, 0.119 + 0.0873 * std::log10(intensityMmH));
    case EnergyEquation::BrownFoster:
        break;
    }
    return 0.29 * (1.0 - 0.72 * std::exp(-0.05 * intensityMmH));
}

bool IsErosive(double depthMm, double i15MmH) {
    // The limits are meant inclusive: a depth that is 12.7 mm in the collector's unit must not
    // fall below it by the last bit of a binary fraction.
    constexpr double slack = 1e-9;
    return !(depthMm < kErosiveDepthMm - slack && i15MmH < kErosiveI15MmH - slack);
}

std::vector<Storm> FindStorms(const std::vector<RainMinute>& series, double mmPerTip,
                              const StormOptions& options) {
    std::vector<Storm> storms;
    if (!std::isfinite(mmPerTip) || mmPerTip <= 0)
        return storms;
    const std::vector<RainMinute> sorted = SortedRainMinutes(series);
    std::vector<Wet> wet;
    wet.reserve(sorted.size());
    for (const RainMinute& m : sorted)
        wet.push_back({MinuteNumber(m.Minute), m.Tips});
    const int64_t separation = std::max(options.SeparationMinutes, 0);
    size_t from = 0;
    for (size_t k = 1; k <= wet.size(); ++k) {
        // Minutes between two rain minutes: 00:00 and 06:00 are 360 apart, one storm at 360.
        if (k == wet.size() || sorted[k].BreakBefore ||
            wet[k].minute - wet[k - 1].minute > separation) {
            Finish(wet, from, k, mmPerTip, options, storms);
            from = k;
        }
    }
    return storms;
}

} // namespace Analysis
