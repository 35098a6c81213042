#include "app/StationQuality.h"

#include "analysis/QualityState.h"
#include "archive/StationArchive.h"

#include <QTimeZone>

namespace StationQuality {

namespace {

char Letter(QChar flag) {
    return char(flag.toLatin1());
}

} // namespace

Analysis::QualitySettings SettingsOf(const Archive::StationSettings& station) {
    Analysis::QualitySettings s;
    s.StartWindowMinutes = station.TestTipMinutes;
    s.DownloadWindowMinutes = station.PreDownloadMinutes;
    s.RateCeilingMmH = station.MinuteCeilingMmH;
    s.HourCeilingMm = station.HourCeilingMm;
    s.DayCeilingMm = station.DayCeilingMm;
    s.TipTimeConstantS = station.TipTimeSeconds;
    return s;
}

Analysis::QualityContext ContextOf(const std::vector<Archive::DownloadInfo>& downloads,
                                   const std::vector<Archive::SegmentInfo>& segments,
                                   int32_t zoneMinutes) {
    Analysis::QualityContext c;
    // Files and raw captures were added later than they were read: their times say nothing
    // of when the logger was visited.
    for (const Archive::DownloadInfo& d : downloads)
        if (d.Kind == Archive::Source::Download && d.SegmentId != 0 && d.PcUtc.isValid())
            c.Downloads.push_back(FromQDateTime(d.PcUtc.toOffsetFromUtc(zoneMinutes * 60)));
    for (const Archive::SegmentInfo& s : segments)
        c.ClockSettings.push_back(s.Start);
    return c;
}

ArchiveFlagDecisionStore::ArchiveFlagDecisionStore(StationArchive& archive, int64_t stationId,
                                                   std::vector<Archive::RecordKey> keys)
    : m_archive(archive), m_stationId(stationId), m_keys(std::move(keys)) {
    std::map<std::pair<int64_t, int32_t>, int32_t> rows;
    for (size_t i = 0; i < m_keys.size(); ++i)
        if (m_keys[i].SegmentId != 0)
            rows[{m_keys[i].SegmentId, m_keys[i].Index}] = int32_t(i);
    for (const Archive::FlagDecisionRow& r : m_archive.FlagDecisions(m_stationId)) {
        const auto row = rows.find({r.Record.SegmentId, r.Record.Index});
        if (row == rows.end())
            continue; // a record kept apart or no longer loaded
        const Analysis::FlagKey key{row->second, Letter(r.Flag)};
        m_decisions[key] = {key,
                            r.Decision == Archive::FlagDecision::Accepted
                                ? Analysis::FlagVerdict::Accepted
                                : Analysis::FlagVerdict::Dismissed,
                            FromQDateTime(r.DecidedAtUtc.toLocalTime())};
    }
}

ArchiveFlagDecisionStore::~ArchiveFlagDecisionStore() {
    if (&Analysis::FlagDecisions() == this)
        Analysis::UseFlagDecisions(nullptr);
}

const Archive::RecordKey* ArchiveFlagDecisionStore::stored(int32_t row) const {
    if (row < 0 || size_t(row) >= m_keys.size() || m_keys[size_t(row)].SegmentId == 0)
        return nullptr;
    return &m_keys[size_t(row)];
}

std::optional<Analysis::FlagDecision>
ArchiveFlagDecisionStore::Find(const Analysis::FlagKey& key) const {
    const auto it = m_decisions.find(key);
    if (it == m_decisions.end())
        return std::nullopt;
    return it->second;
}

// The archive first: a decision it could not keep is not shown as made.
void ArchiveFlagDecisionStore::Put(const Analysis::FlagDecision& decision) {
    if (const Archive::RecordKey* record = stored(decision.Key.Record))
        m_archive.SetFlagDecision(m_stationId, *record, QChar::fromLatin1(decision.Key.Letter),
                                  decision.Verdict == Analysis::FlagVerdict::Accepted
                                      ? Archive::FlagDecision::Accepted
                                      : Archive::FlagDecision::Dismissed);
    m_decisions[decision.Key] = decision;
}

void ArchiveFlagDecisionStore::Remove(const Analysis::FlagKey& key) {
    if (const Archive::RecordKey* record = stored(key.Record))
        m_archive.ClearFlagDecision(m_stationId, *record, QChar::fromLatin1(key.Letter));
    m_decisions.erase(key);
}

std::vector<Analysis::FlagDecision> ArchiveFlagDecisionStore::All() const {
    std::vector<Analysis::FlagDecision> out;
    out.reserve(m_decisions.size());
    for (const auto& [key, decision] : m_decisions)
        out.push_back(decision);
    return out;
}

std::unique_ptr<ArchiveFlagDecisionStore> Activate(StationArchive& archive, int64_t stationId,
                                                   const std::vector<Archive::RecordKey>& keys) {
    const Archive::StationSettings station = archive.Settings(stationId);
    auto store = std::make_unique<ArchiveFlagDecisionStore>(archive, stationId, keys);
    Analysis::ActiveQualitySettings() = SettingsOf(station);
    Analysis::ActiveQualityContext() =
        ContextOf(archive.Downloads(stationId), archive.Segments(stationId), station.ZoneMinutes);
    Analysis::UseFlagDecisions(store.get());
    return store;
}

void Deactivate() {
    Analysis::UseFlagDecisions(nullptr);
    Analysis::ActiveQualitySettings() = {};
    Analysis::ActiveQualityContext() = {};
}

} // namespace StationQuality
