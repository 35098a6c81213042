#pragma once

#include "analysis/FlagDecisionStore.h"
#include "analysis/QualityFlags.h"

#include <string>
#include <vector>

// The quality settings of the data in the tables: the station's ceilings and windows (or the
// defaults), the times the archive knows, where the user's decisions are kept, and whether the
// analysis leaves accepted flags out. Whoever loads the tables sets them.
namespace Analysis {

QualitySettings& ActiveQualitySettings();
QualityContext& ActiveQualityContext();
// The in-memory store unless another was set; UseFlagDecisions(nullptr) returns to it.
FlagDecisionStore& FlagDecisions();
void UseFlagDecisions(FlagDecisionStore* store);
// Empties the in-memory store (its decisions name records of tables that were replaced).
void ForgetMemoryDecisions();
bool LeaveOutAcceptedFlags();
void SetLeaveOutAcceptedFlags(bool leaveOut);

// The flags of the event table under the active settings.
std::vector<std::string> ActiveFlags();
// The flags without the letters the user dismissed.
std::vector<std::string> UndismissedFlags(const std::vector<std::string>& flags,
                                          const FlagDecisionStore& store);
// The rain series every analysis works on: without the records whose flags were accepted when
// the switch is on.
std::vector<RainMinute> RainSeriesForAnalysis();

} // namespace Analysis
