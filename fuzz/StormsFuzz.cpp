// FindStorms and the summaries over any series: times in any order and repeated, counts 0 to 255,
// breaks anywhere, tip depths from tiny to huge. What holds for every series: storms in time
// order without overlap, their tips and depths add up to the series', a longer window never holds
// less rain than a shorter one, and no figure is NaN or infinite.
#include "analysis/Storms.h"
#include "analysis/Summaries.h"
#include "fuzz/FuzzSupport.h"

#include <vector>

namespace {

void Check(bool ok) {
    if (!ok)
        std::abort();
}

bool Close(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

} // namespace

// Input: separation (2 bytes), equation (1), tip depth exponent (1), then entries of 5 bytes:
// a minute offset (3 bytes), a count, flags (bit 0 a break, bit 1 thirty seconds into the minute).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4)
        return 0;
    Analysis::StormOptions options;
    options.SeparationMinutes = int32_t(data[0] | data[1] << 8) - 1000;
    options.Energy = Analysis::EnergyEquation(data[2] % 3);
    const double mmPerTip = std::pow(10.0, (int(data[3]) - 128) / 16.0);
    const TDateTime base = EncodeDate(2009, 3, 1);
    std::vector<RainMinute> series;
    int64_t totalTips = 0;
    for (size_t at = 4; at + 5 <= size; at += 5) {
        const int32_t offset =
            int32_t(data[at] | data[at + 1] << 8 | data[at + 2] << 16) - 0x800000;
        const int32_t tips = data[at + 3];
        const double seconds = (data[at + 4] & 2) ? 30.0 / 86400 : 0.0;
        series.push_back({base + offset / 1440.0 + seconds, tips, (data[at + 4] & 1) != 0});
        totalTips += tips;
    }

    const auto storms = Analysis::FindStorms(series, mmPerTip, options);
    const std::vector<Analysis::MinuteTips> wet = Analysis::SortedMinuteTips(series);
    int64_t stormTips = 0;
    double stormDepth = 0;
    for (size_t k = 0; k < storms.size(); ++k) {
        const Analysis::Storm& s = storms[k];
        Check(s.Start <= s.End && s.DurationMinutes >= 1 && s.Tips > 0);
        Check(k == 0 || s.Start > storms[k - 1].End);
        Check(Analysis::MinuteNumber(s.End) - Analysis::MinuteNumber(s.Start) + 1 ==
              s.DurationMinutes);
        Check(s.I30Start >= s.Start && s.I30Start <= s.End);
        stormTips += s.Tips;
        stormDepth += s.DepthMm;
        Check(std::isfinite(s.DepthMm) && std::isfinite(s.EnergyMJPerHa) && std::isfinite(s.EI30));
        Check(s.EnergyMJPerHa >= 0 && s.EnergyMJPerHa <= 0.29 * s.DepthMm * (1 + 1e-12));
        Check(Close(s.EI30, s.EnergyMJPerHa * s.MaxIntensityMmH[Analysis::kI30]));
        double shorter = 0;
        for (size_t d = 0; d < Analysis::kDurationCount; ++d) {
            const double i = s.MaxIntensityMmH[d];
            Check(std::isfinite(i) && i > 0);
            const double depth = i * Analysis::kDurations[d] / 60.0;
            Check(depth >= shorter * (1 - 1e-12) && depth <= s.DepthMm * (1 + 1e-12));
            shorter = depth;
        }
        // Small storms against the definition itself: every window of D minutes tried.
        if (s.Tips <= 2000) {
            const int64_t first = Analysis::MinuteNumber(s.Start);
            const int64_t last = Analysis::MinuteNumber(s.End);
            for (size_t d = 0; d < Analysis::kDurationCount; ++d) {
                int64_t most = 0;
                for (const Analysis::MinuteTips& a : wet) {
                    if (a.Minute < first || a.Minute > last)
                        continue;
                    int64_t sum = 0;
                    for (const Analysis::MinuteTips& b : wet)
                        if (b.Minute >= a.Minute && b.Minute < a.Minute + Analysis::kDurations[d] &&
                            b.Minute <= last)
                            sum += b.Tips;
                    most = std::max(most, sum);
                }
                Check(Close(s.MaxIntensityMmH[d],
                            double(most) * mmPerTip * 60.0 / Analysis::kDurations[d]));
            }
        }
        // A day's window holds any storm of up to a day.
        if (s.DurationMinutes <= 1440)
            Check(Close(shorter, s.DepthMm));
        Check(s.Erosive == Analysis::IsErosive(s.DepthMm, s.MaxIntensityMmH[Analysis::kI15]));
    }
    Check(stormTips == totalTips);
    Check(Close(stormDepth, double(totalTips) * mmPerTip));

    // The summaries see the same rain and the same storms.
    std::vector<LoggedSpan> spans;
    if (!series.empty())
        spans.push_back({base - 6000, base + 6000});
    const Analysis::Summaries sums = Analysis::Summarise(series, mmPerTip, storms, spans);
    double yearDepth = 0;
    size_t yearStorms = 0;
    for (const Analysis::PeriodSummary& y : sums.Years) {
        Check(y.Completeness >= 0 && y.Completeness <= 1 && std::isfinite(y.R));
        yearDepth += y.DepthMm;
        yearStorms += size_t(y.Storms);
    }
    Check(Close(yearDepth, double(totalTips) * mmPerTip));
    Check(yearStorms == storms.size());
    return 0;
}
