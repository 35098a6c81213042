#include "analysis/Calibration.h"

namespace Analysis {

CorrectedMinute CorrectMinute(int32_t tips, double mmPerTip, double tipTimeConstantS) {
    const double raw = tips * mmPerTip;
    if (tipTimeConstantS <= 0 || tips <= 0)
        return {raw, false};
    const double tipping = tips * tipTimeConstantS;
    if (tipping > kMaxTippingSecondsPerMinute)
        return {raw, true};
    return {raw * 60.0 / (60.0 - tipping), false};
}

std::vector<CorrectedMinute> CorrectSeries(const std::vector<RainMinute>& series, double mmPerTip,
                                           double tipTimeConstantS) {
    std::vector<CorrectedMinute> out;
    out.reserve(series.size());
    for (const RainMinute& m : series)
        out.push_back(CorrectMinute(m.Tips, mmPerTip, tipTimeConstantS));
    return out;
}

} // namespace Analysis
