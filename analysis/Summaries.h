#pragma once

#include "analysis/Storms.h"

#include <vector>

namespace Analysis {

// One calendar month (Month 1..12) or year (Month 0). A storm belongs to the period where it
// starts; days are calendar days of the logger's clock.
struct PeriodSummary {
    int Year = 0;
    int Month = 0;
    double DepthMm = 0;
    int32_t RainDays = 0; // days with at least one tip
    double LargestDayMm = 0;
    TDateTime LargestDay = 0; // the day of LargestDayMm (0 when no rain)
    double LargestI60MmH = 0;
    int32_t Storms = 0;
    int32_t ErosiveStorms = 0;
    double R = 0;            // EI30 summed over the erosive storms, MJ mm/(ha h)
    double Completeness = 0; // share of the period covered by logging, 0..1
};

struct Summaries {
    std::vector<PeriodSummary> Months; // every month from the first logged or rainy one to the last
    std::vector<PeriodSummary> Years;
};

// Storms as FindStorms gave them for the same series; spans as LoggedSpansFromEvents gives them
// (they may overlap or come in any order). A tip time constant above 0 sums the days' corrected
// depths (the storms are then the corrected ones).
Summaries Summarise(const std::vector<RainMinute>& series, double mmPerTip,
                    const std::vector<Storm>& storms, const std::vector<LoggedSpan>& spans,
                    double tipTimeConstantS = 0);

} // namespace Analysis
