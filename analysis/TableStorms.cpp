#include "analysis/TableStorms.h"

#include "analysis/Calibration.h"
#include "analysis/QualityState.h"

#include <algorithm>

namespace Analysis {

namespace {

struct WetDepth {
    int64_t Minute;
    double Mm;
};

// The largest depth in any `duration` consecutive minutes, and the first minute of the window
// that holds it; a best window can always start at a rain minute.
std::pair<double, int64_t> LargestWindow(const std::vector<WetDepth>& wet, size_t from, size_t to,
                                         int32_t duration) {
    double best = 0, sum = 0;
    int64_t bestStart = wet[from].Minute;
    size_t end = from;
    for (size_t begin = from; begin < to; ++begin) {
        const int64_t limit = wet[begin].Minute + duration;
        while (end < to && wet[end].Minute < limit)
            sum += wet[end++].Mm;
        if (sum > best) {
            best = sum;
            bestStart = wet[begin].Minute;
        }
        sum -= wet[begin].Mm;
    }
    return {best, bestStart};
}

} // namespace

std::vector<Storm> CorrectStorms(const std::vector<Storm>& storms,
                                 const std::vector<RainMinute>& series, double mmPerTip,
                                 double tipTimeConstantS, EnergyEquation energy) {
    std::vector<WetDepth> wet;
    for (const MinuteTips& m : SortedMinuteTips(series))
        wet.push_back({m.Minute, CorrectMinute(int32_t(std::min<int64_t>(m.Tips, INT32_MAX)),
                                               mmPerTip, tipTimeConstantS)
                                     .DepthMm});
    std::vector<Storm> out;
    out.reserve(storms.size());
    for (Storm s : storms) {
        const int64_t start = MinuteNumber(s.Start), end = MinuteNumber(s.End);
        auto before = [](const WetDepth& w, int64_t m) { return w.Minute < m; };
        const size_t a =
            size_t(std::lower_bound(wet.begin(), wet.end(), start, before) - wet.begin());
        const size_t b =
            size_t(std::lower_bound(wet.begin(), wet.end(), end + 1, before) - wet.begin());
        s.DepthMm = s.EnergyMJPerHa = 0;
        for (size_t k = a; k < b; ++k) {
            s.DepthMm += wet[k].Mm;
            s.EnergyMJPerHa += UnitEnergy(60.0 * wet[k].Mm, energy) * wet[k].Mm;
        }
        for (size_t d = 0; d < kDurationCount; ++d) {
            const auto [most, first] = a < b ? LargestWindow(wet, a, b, kDurations[d])
                                             : std::pair<double, int64_t>{0, start};
            s.MaxIntensityMmH[d] = most * 60.0 / kDurations[d];
            if (d == kI30)
                s.I30Start = MinuteTime(first);
        }
        s.EI30 = s.EnergyMJPerHa * s.MaxIntensityMmH[kI30];
        s.Erosive = IsErosive(s.DepthMm, s.MaxIntensityMmH[kI15]);
        out.push_back(s);
    }
    return out;
}

TableStorms AnalyseTables(const StormOptions& options) {
    TableStorms t;
    t.MmPerTip = MillimetresPerTip();
    t.FlagsLeftOut = LeaveOutAcceptedFlags();
    t.TipTimeConstantS = std::max(0.0, ActiveQualitySettings().TipTimeConstantS);
    t.Series = RainSeriesForAnalysis();
    t.Storms = FindStorms(t.Series, t.MmPerTip, options);
    const std::vector<LoggedSpan> spans = LoggedSpansFromEvents();
    t.Periods = Summarise(t.Series, t.MmPerTip, t.Storms, spans);
    if (t.HasCorrection()) {
        t.Corrected =
            CorrectStorms(t.Storms, t.Series, t.MmPerTip, t.TipTimeConstantS, options.Energy);
        t.CorrectedPeriods =
            Summarise(t.Series, t.MmPerTip, t.Corrected, spans, t.TipTimeConstantS);
    }
    return t;
}

} // namespace Analysis
