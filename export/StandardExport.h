#pragma once

#include "analysis/Storms.h"
#include "data/Date_unit.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The standard exports: the record in layouts that analysis tools read without help (CSV with
// real time stamps, CF NetCDF, WaterML 2.0). Each writes the tables to a temporary file beside
// the target and renames it into place when complete, so a failure or a cancel leaves nothing.
namespace StandardExport {

enum class Format { RecordCsv, IntervalCsv, StormsCsv, NetCdf, WaterMl };

// The flag letters on one record, and those of them the user accepted.
struct RecordFlags {
    QString Letters;
    QString Accepted;
};

struct Options {
    int32_t ZoneMinutes = 0; // the logger clock's fixed offset from UTC, east positive
    QString StationId;
    QString StationName;
    int32_t IntervalMinutes = 60; // 1 to 1440, for the interval formats
    // In the clock zone. From: the first interval's start (else the N-minute grid from local
    // midnight before the first record); To: the end of the last interval, records before it.
    std::optional<TDateTime> From;
    std::optional<TDateTime> To;
    // By EventTable index; shorter (or empty) means no flags on the rest.
    std::vector<RecordFlags> Flags;
    bool LeaveOutAcceptedFlags = false; // records with an accepted flag count for nothing
    QString Corrections;                // what was applied to the record ("none" when empty)
    Analysis::StormOptions Storms;      // for the storms CSV
    // Fraction done, 0..1; returning false cancels the export.
    std::function<bool(double)> Progress;
};

// The flags of the tables under the active quality settings, without those the user dismissed;
// Accepted holds the letters the user accepted.
std::vector<RecordFlags> ActiveRecordFlags();

// Throws OmbrexError naming the file and the reason; returns false when cancelled. Neither
// leaves a file behind, and an existing target stays as it was.
bool Write(Format format, const QString& path, const Options& options);

bool WriteRecordCsv(const QString& path, const Options& options);
bool WriteIntervalCsv(const QString& path, const Options& options);
bool WriteStormsCsv(const QString& path, const Options& options);
bool WriteNetcdf(const QString& path, const Options& options);
bool WriteWaterMl(const QString& path, const Options& options);

// "record-csv", "interval-csv", "storms-csv", "netcdf", "waterml".
QString FormatName(Format format);
std::optional<Format> FormatFromName(const QString& name);
QStringList FormatNames();
QString FileExtension(Format format); // "csv", "nc", "xml"
bool UsesInterval(Format format);

// "+01:00"-style clock zone text and back; nullopt for anything else (beyond ±14:00 too).
QString ZoneText(int32_t minutes);
std::optional<int32_t> ParseZone(const QString& text);
// The PC's standard-time offset (loggers do not follow daylight saving).
int32_t PcStandardZoneMinutes();

} // namespace StandardExport
