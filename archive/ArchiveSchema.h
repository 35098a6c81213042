#pragma once

#include <QString>
#include <QStringList>

// The archive's tables, version by version. A version's statements bring an archive of the
// version before it up to that one; an archive is never changed backwards.
namespace ArchiveSchema {

int LatestVersion();
// The statements of one step for a Qt SQL driver ("QSQLITE", "QPSQL"): only the column type of
// bytes and SQLite's clustered tables differ.
QStringList Migration(int version, const QString& driverName);

} // namespace ArchiveSchema
