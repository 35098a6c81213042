#pragma once

#include "analysis/Storms.h"
#include "analysis/Summaries.h"

#include <vector>

namespace Analysis {

// The storm analysis of the tables as every view and export shows it: on the series with
// accepted flags left out when the switch is on, and with the dynamic calibration's figures
// beside the raw ones when a tip time constant is set.
struct TableStorms {
    double MmPerTip = 0;
    bool FlagsLeftOut = false;
    double TipTimeConstantS = 0; // 0: no corrected figures
    std::vector<RainMinute> Series;
    std::vector<Storm> Storms;
    std::vector<Storm> Corrected; // the same storms in the same order; empty without correction
    Summaries Periods;
    Summaries CorrectedPeriods;
    bool HasCorrection() const { return TipTimeConstantS > 0; }
};

TableStorms AnalyseTables(const StormOptions& options);

// The storms again with depths, peak intensities and erosivity from the corrected minutes; the
// same start, end and tips (a correction changes no minute's rain into dry or back).
std::vector<Storm> CorrectStorms(const std::vector<Storm>& storms,
                                 const std::vector<RainMinute>& series, double mmPerTip,
                                 double tipTimeConstantS, EnergyEquation energy);

} // namespace Analysis
