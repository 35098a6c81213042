#include "analysis/FlagDecisionStore.h"

namespace Analysis {

std::optional<FlagDecision> MemoryFlagDecisionStore::Find(const FlagKey& key) const {
    const auto it = m_decisions.find(key);
    if (it == m_decisions.end())
        return std::nullopt;
    return it->second;
}

void MemoryFlagDecisionStore::Put(const FlagDecision& decision) {
    m_decisions[decision.Key] = decision;
}

void MemoryFlagDecisionStore::Remove(const FlagKey& key) {
    m_decisions.erase(key);
}

std::vector<FlagDecision> MemoryFlagDecisionStore::All() const {
    std::vector<FlagDecision> all;
    all.reserve(m_decisions.size());
    for (const auto& [key, decision] : m_decisions)
        all.push_back(decision);
    return all;
}

std::vector<bool> RecordsWithAcceptedFlags(const std::vector<std::string>& flags,
                                           const FlagDecisionStore& store) {
    std::vector<bool> leaveOut(flags.size(), false);
    for (size_t i = 0; i < flags.size(); ++i)
        for (char letter : flags[i]) {
            const auto d = store.Find({int32_t(i), letter});
            if (d && d->Verdict == FlagVerdict::Accepted) {
                leaveOut[i] = true;
                break;
            }
        }
    return leaveOut;
}

} // namespace Analysis
