#pragma once

#include <QString>

// The station archive: every download kept, merged per logger into one continuous record.
namespace StationArchive {

// The per-user archive file: AppDataLocation + "/Archive/stations.sqlite".
QString DefaultArchivePath();

} // namespace StationArchive
