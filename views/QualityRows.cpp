#include "views/QualityRows.h"

using Analysis::FlagDecision;
using Analysis::FlagVerdict;

std::vector<QualityRow> BuildQualityRows(const std::vector<TRainRecord>& records,
                                         const std::vector<std::string>& flags,
                                         const Analysis::FlagDecisionStore& store) {
    std::vector<QualityRow> rows;
    for (size_t i = 0; i < flags.size() && i < records.size(); ++i)
        for (char letter : flags[i]) {
            const Analysis::FlagKey key{int32_t(i), letter};
            rows.push_back({key.Record, letter, records[i].DateTime, records[i].Count,
                            records[i].Message, store.Find(key)});
        }
    return rows;
}

void DecideRows(Analysis::FlagDecisionStore& store, const std::vector<QualityRow>& rows,
                const std::vector<size_t>& which, std::optional<FlagVerdict> verdict,
                TDateTime now) {
    for (size_t k : which) {
        if (k >= rows.size())
            continue;
        const Analysis::FlagKey key{rows[k].Record, rows[k].Letter};
        if (verdict)
            store.Put(FlagDecision{key, *verdict, now});
        else
            store.Remove(key);
    }
}

void DecideKind(Analysis::FlagDecisionStore& store, const std::vector<QualityRow>& rows,
                char letter, FlagVerdict verdict, TDateTime now) {
    std::vector<size_t> which;
    for (size_t k = 0; k < rows.size(); ++k)
        if (rows[k].Letter == letter)
            which.push_back(k);
    DecideRows(store, rows, which, verdict, now);
}

QString VerdictText(const std::optional<FlagDecision>& decision) {
    if (!decision)
        return QString();
    const QString when = LoggerTimeText(decision->DecidedAt);
    return (decision->Verdict == FlagVerdict::Accepted ? QStringLiteral("Accepted ")
                                                       : QStringLiteral("Dismissed ")) +
           when;
}
