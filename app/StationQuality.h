#pragma once

#include "analysis/FlagDecisionStore.h"
#include "analysis/QualityFlags.h"
#include "archive/ArchiveTypes.h"

#include <map>
#include <memory>
#include <vector>

class StationArchive;

// The quality side of a station opened into the tables: its ceilings and windows, the times
// the archive knows, and the user's decisions kept in the archive.
namespace StationQuality {

Analysis::QualitySettings SettingsOf(const Archive::StationSettings& station);
// Downloads read from the logger, and each segment's start (the clock was set or the memory
// cleared there), as the logger's wall clock in the station's zone.
Analysis::QualityContext ContextOf(const std::vector<Archive::DownloadInfo>& downloads,
                                   const std::vector<Archive::SegmentInfo>& segments,
                                   int32_t zoneMinutes);

// Decisions stored with the station, by record rather than by table row, so that they stay on
// their records when the station is opened again or a later download is merged. Rows the
// archive adds itself (gap messages, the end record) have no stored record: decisions on them
// last as long as the tables.
class ArchiveFlagDecisionStore : public Analysis::FlagDecisionStore {
public:
    ArchiveFlagDecisionStore(StationArchive& archive, int64_t stationId,
                             std::vector<Archive::RecordKey> keys);
    ~ArchiveFlagDecisionStore() override;

    std::optional<Analysis::FlagDecision> Find(const Analysis::FlagKey& key) const override;
    void Put(const Analysis::FlagDecision& decision) override;
    void Remove(const Analysis::FlagKey& key) override;
    std::vector<Analysis::FlagDecision> All() const override;

private:
    const Archive::RecordKey* stored(int32_t row) const;

    StationArchive& m_archive;
    int64_t m_stationId;
    std::vector<Archive::RecordKey> m_keys;
    std::map<Analysis::FlagKey, Analysis::FlagDecision> m_decisions;
};

// Makes the opened station's settings, times and stored decisions the active ones; the store
// returned must live as long as the tables hold the station.
std::unique_ptr<ArchiveFlagDecisionStore> Activate(StationArchive& archive, int64_t stationId,
                                                   const std::vector<Archive::RecordKey>& keys);
// Back to the defaults and the in-memory decisions (other data replaced the tables).
void Deactivate();

} // namespace StationQuality
