#include "analysis/QualityState.h"
#include "export/StandardExport.h"

namespace StandardExport {

std::vector<RecordFlags> ActiveRecordFlags() {
    const std::vector<std::string> flags = Analysis::ActiveFlags();
    const Analysis::FlagDecisionStore& decisions = Analysis::FlagDecisions();
    std::vector<RecordFlags> out(flags.size());
    for (size_t i = 0; i < flags.size(); ++i)
        for (char letter : flags[i]) {
            const auto d = decisions.Find({int32_t(i), letter});
            if (d && d->Verdict == Analysis::FlagVerdict::Dismissed)
                continue;
            out[i].Letters += QLatin1Char(letter);
            if (d && d->Verdict == Analysis::FlagVerdict::Accepted)
                out[i].Accepted += QLatin1Char(letter);
        }
    return out;
}

} // namespace StandardExport
