#pragma once

#include "analysis/FlagDecisionStore.h"
#include "data/DataUnit.h"

#include <optional>
#include <string>
#include <vector>

// One flag of one record, as the quality list shows it.
struct QualityRow {
    int32_t Record = 0;
    char Letter = 0;
    TDateTime When = 0;
    int32_t Tips = 0;
    QString Message;
    std::optional<Analysis::FlagDecision> Decision;
};

// One row per flag, in table order and, within a record, in vocabulary order.
std::vector<QualityRow> BuildQualityRows(const std::vector<TRainRecord>& records,
                                         const std::vector<std::string>& flags,
                                         const Analysis::FlagDecisionStore& store);

// Records the verdict on the given rows (or, with std::nullopt, forgets it).
void DecideRows(Analysis::FlagDecisionStore& store, const std::vector<QualityRow>& rows,
                const std::vector<size_t>& which, std::optional<Analysis::FlagVerdict> verdict,
                TDateTime now);
// The same for every row of one letter.
void DecideKind(Analysis::FlagDecisionStore& store, const std::vector<QualityRow>& rows,
                char letter, Analysis::FlagVerdict verdict, TDateTime now);

QString VerdictText(const std::optional<Analysis::FlagDecision>& decision);
