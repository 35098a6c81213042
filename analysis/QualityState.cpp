#include "analysis/QualityState.h"

namespace Analysis {

namespace {

QualitySettings g_settings;
QualityContext g_context;
MemoryFlagDecisionStore g_memory;
FlagDecisionStore* g_store = &g_memory;
bool g_leaveOut = false;

} // namespace

QualitySettings& ActiveQualitySettings() {
    return g_settings;
}

QualityContext& ActiveQualityContext() {
    return g_context;
}

FlagDecisionStore& FlagDecisions() {
    return *g_store;
}

void UseFlagDecisions(FlagDecisionStore* store) {
    g_store = store ? store : &g_memory;
}

void ForgetMemoryDecisions() {
    g_memory = MemoryFlagDecisionStore();
}

bool LeaveOutAcceptedFlags() {
    return g_leaveOut;
}

void SetLeaveOutAcceptedFlags(bool leaveOut) {
    g_leaveOut = leaveOut;
}

std::vector<std::string> ActiveFlags() {
    return FlagEvents(g_settings, g_context);
}

std::vector<std::string> UndismissedFlags(const std::vector<std::string>& flags,
                                          const FlagDecisionStore& store) {
    std::vector<std::string> out(flags.size());
    for (size_t i = 0; i < flags.size(); ++i)
        for (char letter : flags[i]) {
            const auto d = store.Find({int32_t(i), letter});
            if (!d || d->Verdict != FlagVerdict::Dismissed)
                out[i].push_back(letter);
        }
    return out;
}

std::vector<RainMinute> RainSeriesForAnalysis() {
    if (!g_leaveOut)
        return RainSeriesFromEvents();
    return RainSeriesFromEvents(RecordsWithAcceptedFlags(ActiveFlags(), FlagDecisions()));
}

} // namespace Analysis
