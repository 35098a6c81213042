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

// Indices into kDurations of the durations the erosivity rules use.
inline constexpr size_t kI15 = 2, kI30 = 4, kI60 = 5;

// A storm is erosive unless both its depth and its I15 lie below these.
inline constexpr double kErosiveDepthMm = 12.7;
inline constexpr double kErosiveI15MmH = 25.4;

// Unit energy e(i) in MJ/(ha mm) of rain falling at i mm/h.
double UnitEnergy(double intensityMmH, EnergyEquation equation);
bool IsErosive(double depthMm, double i15MmH);

// Storms of a rain series in any order (it is sorted and same-minute entries are added first).
// A tip depth that is not a positive number gives no storms.
std::vector<Storm> FindStorms(const std::vector<RainMinute>& series, double mmPerTip,
                              const StormOptions& options = {});

} // namespace Analysis
