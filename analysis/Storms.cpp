#include "analysis/Storms.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

namespace Analysis {

namespace {

using Wet = MinuteTips;

// Largest tips in any `duration` consecutive minutes, and the first minute of the first window
// that holds them. A window that holds the largest sum can always be moved to start at a minute
// with rain, so only those starts are tried: two indices that only move forward.
std::pair<int64_t, int64_t> LargestWindowSparse(const std::vector<Wet>& wet, size_t from, size_t to,
                                                int32_t duration) {
    int64_t best = 0, bestStart = wet[from].Minute, sum = 0;
    size_t end = from; // one past the last minute inside the window starting at wet[begin]
    for (size_t begin = from; begin < to; ++begin) {
        const int64_t limit = wet[begin].Minute + duration; // first minute outside
        while (end < to && wet[end].Minute < limit)
            sum += wet[end++].Tips;
        if (sum > best) {
            best = sum;
            bestStart = wet[begin].Minute;
        }
        sum -= wet[begin].Tips;
    }
    return {best, bestStart};
}

// The same over a storm whose minutes are mostly wet, from cumulative tips per minute (prefix[m]
// holds the tips before the storm's minute m): one subtraction per minute, no branches. Used only
// where the storm's minutes are at most a few times its rain minutes, so the work stays in
// proportion to the rain.
std::pair<int64_t, int64_t> LargestWindowDense(const std::vector<int64_t>& prefix,
                                               int32_t duration) {
    const size_t length = prefix.size() - 1;
    if (length <= size_t(duration))
        return {prefix[length], 0};
    const size_t d = size_t(duration);
    int64_t best = 0;
    for (size_t m = 0; m + d <= length; ++m)
        best = std::max(best, prefix[m + d] - prefix[m]);
    return {best, -1};
}

// The first minute of the first window that holds `best`, moved on to its first rain minute.
int64_t FirstWindowStart(const std::vector<int64_t>& prefix, int32_t duration, int64_t best) {
    const size_t length = prefix.size() - 1;
    for (size_t m = 0; m < length; ++m) {
        if (prefix[std::min(m + size_t(duration), length)] - prefix[m] == best) {
            while (prefix[m + 1] == prefix[m])
                ++m;
            return int64_t(m);
        }
    }
    return 0;
}

// Energy of a minute by its tips: a minute's energy depends on its tips alone, and a gauge tips
// only a few times a minute, so most minutes look theirs up instead of taking a logarithm or an
// exponential.
class MinuteEnergy {
public:
    MinuteEnergy(double mmPerTip, EnergyEquation equation)
        : m_mmPerTip(mmPerTip), m_equation(equation) {
        for (size_t tips = 0; tips < std::size(m_byTips); ++tips)
            m_byTips[tips] = Of(int64_t(tips));
    }
    double operator()(int64_t tips) const {
        return size_t(tips) < std::size(m_byTips) ? m_byTips[size_t(tips)] : Of(tips);
    }

private:
    double Of(int64_t tips) const {
        const double depth = double(tips) * m_mmPerTip;
        return UnitEnergy(60.0 * depth, m_equation) * depth;
    }
    double m_mmPerTip;
    EnergyEquation m_equation;
    double m_byTips[64];
};

void Finish(const std::vector<Wet>& wet, size_t from, size_t to, double mmPerTip,
            const MinuteEnergy& minuteEnergy, std::vector<Storm>& storms) {
    Storm s;
    s.Start = MinuteTime(wet[from].Minute);
    s.End = MinuteTime(wet[to - 1].Minute);
    const int64_t duration = wet[to - 1].Minute - wet[from].Minute + 1;
    s.DurationMinutes = int32_t(std::min<int64_t>(duration, std::numeric_limits<int32_t>::max()));
    int64_t tips = 0;
    double energy = 0;
    for (size_t k = from; k < to; ++k) {
        tips += wet[k].Tips;
        energy += minuteEnergy(wet[k].Tips);
    }
    s.Tips = int32_t(std::min<int64_t>(tips, std::numeric_limits<int32_t>::max()));
    s.DepthMm = double(tips) * mmPerTip;
    // A storm's minutes laid out one by one when they are mostly wet; sparse rain keeps to its
    // rain minutes.
    const bool dense = duration <= 4 * int64_t(to - from);
    thread_local std::vector<int64_t> prefix;
    if (dense) {
        prefix.assign(size_t(duration) + 1, 0);
        for (size_t k = from; k < to; ++k)
            prefix[size_t(wet[k].Minute - wet[from].Minute) + 1] = wet[k].Tips;
        for (size_t m = 1; m < prefix.size(); ++m)
            prefix[m] += prefix[m - 1];
    }
    for (size_t d = 0; d < kDurationCount; ++d) {
        int64_t most = 0, start = 0;
        if (dense) {
            most = LargestWindowDense(prefix, kDurations[d]).first;
            if (d == kI30)
                start = wet[from].Minute + FirstWindowStart(prefix, kDurations[d], most);
        } else {
            std::tie(most, start) = LargestWindowSparse(wet, from, to, kDurations[d]);
        }
        s.MaxIntensityMmH[d] = double(most) * mmPerTip * 60.0 / kDurations[d];
        if (d == kI30)
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
    const std::vector<Wet> wet = SortedMinuteTips(series);
    const int64_t separation = std::max(options.SeparationMinutes, 0);
    const MinuteEnergy minuteEnergy(mmPerTip, options.Energy);
    size_t from = 0;
    for (size_t k = 1; k <= wet.size(); ++k) {
        // Minutes between two rain minutes: 00:00 and 06:00 are 360 apart, one storm at 360.
        if (k == wet.size() || wet[k].BreakBefore ||
            wet[k].Minute - wet[k - 1].Minute > separation) {
            Finish(wet, from, k, mmPerTip, minuteEnergy, storms);
            from = k;
        }
    }
    return storms;
}

} // namespace Analysis
