#include "views/HyetographBins.h"

#include <algorithm>

using Analysis::MinuteNumber;

namespace {

int64_t FloorTo(int64_t minute, int64_t step) {
    const int64_t q = minute / step;
    return (minute % step < 0 ? q - 1 : q) * step;
}

std::vector<std::pair<int64_t, int64_t>> SpanMinutes(const std::vector<LoggedSpan>& spans) {
    // A span covers its first minute up to and including its last one.
    std::vector<std::pair<int64_t, int64_t>> out;
    out.reserve(spans.size());
    for (const LoggedSpan& s : spans)
        out.push_back({MinuteNumber(s.From), MinuteNumber(s.To) + 1});
    std::sort(out.begin(), out.end());
    return out;
}

// Adds the tips of `minutes` that fall in each bin to the member `field`.
void AddTips(const std::vector<RainMinute>& minutes, double mmPerTip, int64_t first,
             int32_t interval, std::vector<HyetographBin>& bins, double HyetographBin::*field) {
    const int64_t end = first + int64_t(bins.size()) * interval;
    auto it =
        std::lower_bound(minutes.begin(), minutes.end(), first,
                         [](const RainMinute& m, int64_t v) { return MinuteNumber(m.Minute) < v; });
    for (; it != minutes.end(); ++it) {
        const int64_t m = MinuteNumber(it->Minute);
        if (m >= end)
            break;
        bins[size_t((m - first) / interval)].*field += it->Tips * mmPerTip;
    }
}

} // namespace

int32_t AutoIntervalMinutes(int64_t rangeMinutes, int32_t maxBins) {
    for (int32_t interval : kHyetographIntervals)
        if ((rangeMinutes + interval - 1) / interval <= std::max(maxBins, 1))
            return interval;
    return kHyetographIntervals[std::size(kHyetographIntervals) - 1];
}

std::vector<HyetographBin> IntervalSums(const HyetographInput& input, int64_t from, int64_t to,
                                        int32_t interval) {
    std::vector<HyetographBin> bins;
    if (to <= from || interval <= 0)
        return bins;
    const int64_t first = FloorTo(from, interval);
    const int64_t count = (to - first + interval - 1) / interval;
    bins.resize(size_t(count));
    for (int64_t i = 0; i < count; ++i)
        bins[size_t(i)].Start = first + i * interval;
    AddTips(input.Series, input.MmPerTip, first, interval, bins, &HyetographBin::DepthMm);
    AddTips(input.Flagged, input.MmPerTip, first, interval, bins, &HyetographBin::FlaggedMm);

    const auto spans = SpanMinutes(input.Spans);
    size_t s = 0;
    double total = 0;
    for (HyetographBin& b : bins) {
        const int64_t end = b.Start + interval;
        while (s < spans.size() && spans[s].second <= b.Start)
            ++s;
        // Spans may overlap (a reset clock); look ahead over those that start in this bin.
        bool covered = false;
        for (size_t k = s; k < spans.size() && spans[k].first < end && !covered; ++k)
            covered = spans[k].second > b.Start;
        b.Covered = covered || b.DepthMm > 0;
        total += b.DepthMm;
        b.CumulativeMm = total;
    }
    return bins;
}

std::vector<HyetographBin> DecimateBins(const std::vector<HyetographBin>& bins, int32_t columns) {
    if (columns <= 0 || int64_t(bins.size()) <= columns)
        return bins;
    const size_t group = (bins.size() + size_t(columns) - 1) / size_t(columns);
    std::vector<HyetographBin> out;
    out.reserve(bins.size() / group + 1);
    for (size_t i = 0; i < bins.size(); i += group) {
        HyetographBin merged = bins[i];
        for (size_t k = i + 1; k < std::min(bins.size(), i + group); ++k) {
            merged.DepthMm = std::max(merged.DepthMm, bins[k].DepthMm);
            merged.FlaggedMm = std::max(merged.FlaggedMm, bins[k].FlaggedMm);
            merged.CumulativeMm = bins[k].CumulativeMm;
            merged.Covered = merged.Covered || bins[k].Covered;
        }
        out.push_back(merged);
    }
    return out;
}

std::vector<std::pair<int64_t, int64_t>> UncoveredStretches(const std::vector<LoggedSpan>& spans,
                                                            int64_t from, int64_t to) {
    std::vector<std::pair<int64_t, int64_t>> gaps;
    int64_t cursor = from;
    for (const auto& [a, b] : SpanMinutes(spans)) {
        if (a >= to)
            break;
        if (a > cursor)
            gaps.push_back({cursor, a});
        cursor = std::max(cursor, b);
    }
    if (cursor < to)
        gaps.push_back({cursor, to});
    return gaps;
}
