#pragma once

#include "data/Date_unit.h"

#include <compare>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Analysis {

// One flag of one record: the record's index in the event table and the flag's letter.
struct FlagKey {
    int32_t Record = 0;
    char Letter = 0;
    auto operator<=>(const FlagKey&) const = default;
};

enum class FlagVerdict { Accepted, Dismissed };

struct FlagDecision {
    FlagKey Key;
    FlagVerdict Verdict = FlagVerdict::Accepted;
    TDateTime DecidedAt = 0; // when the user made it
};

// Where the user's decisions on flags are kept. The in-memory store below serves data that
// did not come from an archive; an archived station backs this with its own storage.
class FlagDecisionStore {
public:
    virtual ~FlagDecisionStore() = default;
    virtual std::optional<FlagDecision> Find(const FlagKey& key) const = 0;
    virtual void Put(const FlagDecision& decision) = 0;
    virtual void Remove(const FlagKey& key) = 0;
    virtual std::vector<FlagDecision> All() const = 0;
};

class MemoryFlagDecisionStore : public FlagDecisionStore {
public:
    std::optional<FlagDecision> Find(const FlagKey& key) const override;
    void Put(const FlagDecision& decision) override;
    void Remove(const FlagKey& key) override;
    std::vector<FlagDecision> All() const override;

private:
    std::map<FlagKey, FlagDecision> m_decisions;
};

// Records to leave out of the analysis: those with at least one accepted flag, per index of
// `flags` (as FlagRecords gives them).
std::vector<bool> RecordsWithAcceptedFlags(const std::vector<std::string>& flags,
                                           const FlagDecisionStore& store);

} // namespace Analysis
