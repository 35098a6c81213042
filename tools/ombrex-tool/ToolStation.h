#pragma once

#include "archive/ArchiveTypes.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

// What the subcommands share: options, the archive and a station opened into the tables.
namespace ToolStation {

// Removes "--name VALUE" (or "--name=VALUE") from args; nullopt when absent. A missing value
// throws OmbrexError.
std::optional<QString> TakeOption(QStringList& args, const QString& name);
bool TakeFlag(QStringList& args, const QString& name);
// Throws OmbrexError for an argument left over that starts with "--".
void RefuseUnknownOptions(const QStringList& args);

// --archive FILE, else the per-user archive.
QString TakeArchivePath(QStringList& args);

// The program's collector setting (the same settings store the program writes).
uint16_t DefaultBucketFactor();

struct OpenedStation {
    int64_t Id = 0;
    QString Name;
    int32_t ZoneMinutes = 0; // the logger clock's zone, minutes east of UTC
    uint16_t BucketFactor = 10;
    std::vector<Archive::RecordKey> Keys; // event table row i is Keys[i]
};

// Loads the named station's corrected record into the DataUnit tables (collector set to the
// station's). Throws OmbrexError naming the archive when there is no such station.
OpenedStation OpenStation(const QString& archivePath, const QString& stationName);

// Progress on a terminal for long work (nothing when stderr is not one).
void Progress(const QString& text);
void EndProgress();

} // namespace ToolStation
