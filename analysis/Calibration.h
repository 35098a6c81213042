#pragma once

#include "analysis/RainSeries.h"

#include <cstdint>
#include <vector>

namespace Analysis {

// The literature's tip time constant of a common 0.254 mm bucket: a hint beside the station's
// setting, never its default (0, no correction).
inline constexpr double kTipTimeConstantHintS = 0.45;

// The longest a bucket can spend tipping in one minute: beyond it the count is not real rain.
inline constexpr double kMaxTippingSecondsPerMinute = 30;

struct CorrectedMinute {
    double DepthMm = 0;
    bool Beyond = false; // n·δ above 30 s: left uncorrected (and flagged P)
};

// Dynamic calibration of one minute: while the bucket tips it misses rain, so n tips of depth h
// hold n·h·60 / (60 − n·δ). δ = 0 leaves the depth as it is.
CorrectedMinute CorrectMinute(int32_t tips, double mmPerTip, double tipTimeConstantS);

// The corrected depth of each minute of a series (same index).
std::vector<CorrectedMinute> CorrectSeries(const std::vector<RainMinute>& series, double mmPerTip,
                                           double tipTimeConstantS);

} // namespace Analysis
