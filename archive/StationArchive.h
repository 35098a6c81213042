#pragma once

#include "archive/ArchiveTypes.h"

#include <QString>
#include <utility>
#include <vector>

class QSqlDatabase;

// The station archive: every download kept, merged per logger into one continuous record.
// Every failure throws OmbrexError naming the archive and the reason; a failed addition leaves
// the archive as it was (one transaction per addition). Not for use from several threads.
class StationArchive {
public:
    // OmbrexError::code() of an addition whose overlap disagrees with the stored records.
    static constexpr int kConflictCode = -20;

    // The per-user archive file: AppDataLocation + "/Archive/stations.sqlite".
    static QString DefaultArchivePath();

    // Opens (creating when missing) the archive and brings its schema up to date. A file that
    // is not an archive is refused and left as it is.
    explicit StationArchive(const QString& path = DefaultArchivePath());
    ~StationArchive();
    StationArchive(const StationArchive&) = delete;
    StationArchive& operator=(const StationArchive&) = delete;

    const QString& Path() const { return m_path; }
    static int SchemaVersion();

    // Stations by name.
    std::vector<Archive::StationSummary> Stations();
    // 0 when there is none of that name.
    int64_t FindStation(const QString& name);
    Archive::StationSummary Station(int64_t id);
    int64_t CreateStation(const Archive::StationSettings& settings);
    Archive::StationSettings Settings(int64_t id);
    // Renaming to a name another station has is refused.
    void SetSettings(int64_t id, const Archive::StationSettings& settings);

    // One download, data file, Tarnell file or raw capture, in one transaction. A record that
    // disagrees with the stored overlap throws (nothing changes); its message names the record.
    Archive::AddResult Add(const Archive::Addition& addition);
    // A download kept apart (check sum failed) joins its station's record.
    Archive::AddResult AcceptDownload(int64_t downloadId);

    std::vector<Archive::SegmentInfo> Segments(int64_t stationId);
    std::vector<Archive::DownloadInfo> Downloads(int64_t stationId);
    QByteArray RawCapture(int64_t downloadId);

    // The station's corrected record into the DataUnit tables, in time order, with "Not logging"
    // and "Logging again" message records around each gap, the daily table built and the
    // collector set to the station's.
    Archive::LoadedStation LoadStationIntoTables(int64_t stationId);

    // The user's decisions on quality flags; a new decision on the same record and flag
    // replaces the old one.
    void SetFlagDecision(int64_t stationId, const Archive::RecordKey& record, QChar flag,
                         Archive::FlagDecision decision);
    void ClearFlagDecision(int64_t stationId, const Archive::RecordKey& record, QChar flag);
    std::vector<Archive::FlagDecisionRow> FlagDecisions(int64_t stationId);

private:
    class Transaction;
    friend class Transaction;

    QSqlDatabase db() const;
    [[noreturn]] void fail(const QString& reason) const;
    void migrate();
    int64_t nextId(const char* table);
    int64_t findOrCreateStation(const Archive::Addition& addition, bool& created);
    Archive::AddResult merge(int64_t stationId, int64_t downloadId, Archive::Source kind,
                             bool hasAnchor, const std::vector<TRainRecord>& records, int64_t end);
    std::vector<std::pair<int64_t, double>> anchors(int64_t segmentId, int32_t zoneMinutes);
    int64_t recorrect(int64_t segmentId, int32_t zoneMinutes);

    QString m_path;
    QString m_connection;
};
