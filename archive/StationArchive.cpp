#include "archive/StationArchive.h"

#include <QStandardPaths>

namespace StationArchive {

QString DefaultArchivePath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/Archive/stations.sqlite");
}

} // namespace StationArchive
