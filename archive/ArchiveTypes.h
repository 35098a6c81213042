#pragma once

#include "data/DataUnit.h"

#include <QByteArray>
#include <QChar>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// The values the station archive takes and gives. Times of records are the logger's wall clock
// in the station's fixed clock zone (a TDateTime, as the tables hold them).
namespace Archive {

// Where an addition came from.
enum class Source { Download, RawCapture, DataFile, Tarnell };
QString SourceName(Source source);

// A station's properties. The quality ceilings and the tip time constant are read by the
// quality flags and the dynamic calibration.
struct StationSettings {
    QString Name;
    QString Model;
    uint16_t BucketFactor = 10;
    int32_t ZoneMinutes = 0;    // logger clock's zone: fixed offset east of UTC
    double TipTimeSeconds = 0;  // dynamic calibration constant; 0 = off
    int32_t TestTipMinutes = 5; // after the clock was set or memory cleared
    int32_t PreDownloadMinutes = 10;
    double MinuteCeilingMmH = 300;
    double HourCeilingMm = 120;
    double DayCeilingMm = 500;
    QString Notes;
};

struct StationSummary {
    int64_t Id = 0;
    QString Name;
    QString Model;
    int32_t ZoneMinutes = 0;
    uint16_t BucketFactor = 10;
    TDateTime FirstRecord = 0; // 0 while the station holds no record
    TDateTime LastRecord = 0;
    int32_t Downloads = 0; // additions of every kind
    int64_t Records = 0;
    QDateTime LastDownloadUtc;    // invalid when there was none
    int32_t PendingDownloads = 0; // check sum failed, records kept apart
};

// The logger's clock as the status reply read it (its own wall clock) and the PC's UTC at that
// moment: a drift anchor that a daylight-saving change on the PC cannot disturb.
struct ClockReading {
    TDateTime LoggerTime = 0;
    QDateTime PcUtc;
};

struct Addition {
    Source Kind = Source::Download;
    // A download names its logger (the station is found by logger name and model, created
    // when new); other additions name the station.
    QString Station;
    QString Model;
    uint16_t BucketFactor = 10;         // for a new station
    std::optional<int32_t> ZoneMinutes; // for a new station; the PC's standard offset if unset
    QString LoggerVersion;
    QString FileName;
    QByteArray Raw;                    // the exact bytes read (download.txt, the file)
    QDateTime AddedUtc;                // when it was downloaded or added; now if invalid
    std::optional<ClockReading> Clock; // a download's drift anchor
    bool CrcOk = true;                 // false: kept apart until accepted
    std::vector<TRainRecord> Records;  // as the tables hold them, end record included
};

struct AddResult {
    int64_t StationId = 0;
    QString StationName;
    int64_t DownloadId = 0;
    int64_t SegmentId = 0; // 0 while kept apart
    bool NewStation = false;
    bool NewSegment = false;
    bool KeptApart = false; // check sum failed: stored, not merged
    int64_t NewRecords = 0;
};

// A record of the station: its segment and its index there (index 0 is the start record).
struct RecordKey {
    int64_t SegmentId = 0; // 0 for the rows the archive adds (gap messages, end record)
    int32_t Index = 0;
};

struct SegmentInfo {
    int64_t Id = 0;
    TDateTime Start = 0; // logger time of the start record (clock right)
    TDateTime End = 0;   // end of logging: last download, or last record of a file
    int64_t Records = 0;
    Source Kind = Source::Download; // what started it
};

struct DownloadInfo {
    int64_t Id = 0;
    int64_t SegmentId = 0; // 0 while kept apart
    Source Kind = Source::Download;
    QDateTime PcUtc;
    std::optional<double> ClockOffsetSeconds; // logger minus true time, UTC terms
    QString LoggerVersion;
    TDateTime StartTime = 0;
    bool CrcOk = true;
    bool Accepted = true;
    int64_t RecordCount = 0;
    int64_t NewRecords = 0;
    QString FileName;
};

enum class FlagDecision { Accepted, Dismissed };

struct FlagDecisionRow {
    RecordKey Record;
    QChar Flag; // I D P H Y M G
    FlagDecision Decision = FlagDecision::Accepted;
    QDateTime DecidedAtUtc;
};

// What opening a station put into the tables: the event table's row i is Keys[i].
struct LoadedStation {
    StationSummary Station;
    std::vector<RecordKey> Keys;
};

// The event table as it stands (for adding what was just downloaded or read).
std::vector<TRainRecord> RecordsFromTables();

// The drift anchor from a status reply: the logger's clock is the PC's local time at the reply
// less the measured offset (days, PC minus logger), and the PC's UTC is that moment's.
ClockReading ReadingFromStatus(double clockOffsetDays, const QDateTime& pcNow);

// The PC's standard-time offset from UTC in minutes (no daylight saving).
int32_t PcStandardZoneMinutes();

} // namespace Archive
