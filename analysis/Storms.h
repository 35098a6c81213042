#pragma once

#include "analysis/RainSeries.h"

#include <cstdint>
#include <iterator>
#include <vector>

namespace Analysis {

enum class EnergyEquation { BrownFoster, McGregor, Usle };

struct StormOptions {
    int32_t SeparationMinutes = 360;
    EnergyEquation Energy = EnergyEquation::BrownFoster;
};

inline constexpr int32_t kDurations[] = {5, 10, 15, 20, 30, 60, 120, 180, 360, 720, 1440};
inline constexpr size_t kDurationCount = std::size(kDurations);

struct Storm {
    TDateTime Start = 0, End = 0; // first and last minute with rain
    int32_t DurationMinutes = 0;  // both ends counted
    int32_t Tips = 0;
    double DepthMm = 0;
    double MaxIntensityMmH[kDurationCount] = {};
    double EnergyMJPerHa = 0, EI30 = 0;
    bool Erosive = false;
    TDateTime I30Start = 0; // first minute of the 30 minutes that give I30
};

std::vector<Storm> FindStorms(const std::vector<RainMinute>& series, double mmPerTip,
                              const StormOptions& options = {});

} // namespace Analysis
