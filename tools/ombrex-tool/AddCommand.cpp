// ombrex-tool add: data files, Tarnell files and raw captures into a station of the archive.
#include "archive/StationArchive.h"
#include "data/DataUnit.h"
#include "data/RecordFiles.h"
#include "tools/ombrex-tool/ToolCommands.h"
#include "tools/ombrex-tool/ToolStation.h"
#include "ui/OmbrexError.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

const char kHelp[] =
    "Usage: ombrex-tool add --station NAME [--archive FILE] [--logger-version VVV] FILE...\n\n"
    "Adds data files, Tarnell files and raw download captures (such as download.txt) to the\n"
    "named station, which is created when new. The kind of each file comes from its content.\n"
    "A raw capture merges by its start time as a download does: its records must agree with\n"
    "the stored ones where they overlap, or nothing of it is added. A raw capture is read in\n"
    "the new record format unless --logger-version names a version whose third character is\n"
    "4 or below.\n";

Archive::Source SourceOf(RecordFiles::Kind kind) {
    switch (kind) {
    case RecordFiles::Kind::RawCapture:
        return Archive::Source::RawCapture;
    case RecordFiles::Kind::Tarnell:
        return Archive::Source::Tarnell;
    default:
        return Archive::Source::DataFile;
    }
}

// One file in one transaction; throws for a file that is refused.
void AddFile(StationArchive& archive, const QString& station, const QString& version,
             const QString& path) {
    ToolStation::Progress(QStringLiteral("Reading %1...").arg(path));
    RecordFiles::Kind kind = RecordFiles::Kind::Unknown;
    const DataFiles::ReadResult read = RecordFiles::ReadRecordFile(path, version, &kind);
    if (!read.failure.isEmpty())
        throw OmbrexError(read.failure);
    if (read.errors > 0 || DataUnit::EventCount() == 0)
        throw OmbrexError(QStringLiteral("\"%1\": %2 lines could not be read; nothing was added")
                              .arg(path)
                              .arg(read.errors));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw OmbrexError(
            QStringLiteral("Cannot read file \"%1\". %2").arg(path, file.errorString()));

    Archive::Addition a;
    a.Kind = SourceOf(kind);
    a.Station = station;
    a.BucketFactor = ToolStation::DefaultBucketFactor();
    a.LoggerVersion = version;
    a.FileName = QFileInfo(path).absoluteFilePath();
    a.Raw = file.readAll();
    a.CrcOk = !read.crcFailed;
    a.Records = Archive::RecordsFromTables();
    DataUnit::ClearTables();
    ToolStation::Progress(
        QStringLiteral("Adding %1 (%2 records)...").arg(path).arg(a.Records.size()));
    const Archive::AddResult r = archive.Add(a);
    ToolStation::EndProgress();
    if (r.KeptApart)
        std::printf("%s: %s, check sum failed: stored in station \"%s\", its records kept apart "
                    "until accepted\n",
                    qPrintable(path), qPrintable(RecordFiles::KindName(kind)),
                    qPrintable(r.StationName));
    else
        std::printf("%s: %s, %lld new records in station \"%s\"%s\n", qPrintable(path),
                    qPrintable(RecordFiles::KindName(kind)), static_cast<long long>(r.NewRecords),
                    qPrintable(r.StationName), r.NewSegment ? " (a new segment)" : "");
    std::fflush(stdout);
}

} // namespace

int RunAdd(const QStringList& arguments) {
    QStringList args = arguments;
    if (ToolStation::TakeFlag(args, QStringLiteral("--help"))) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    const QString path = ToolStation::TakeArchivePath(args);
    const std::optional<QString> station =
        ToolStation::TakeOption(args, QStringLiteral("--station"));
    const QString version = ToolStation::TakeOption(args, QStringLiteral("--logger-version"))
                                .value_or(QStringLiteral("125"));
    ToolStation::RefuseUnknownOptions(args);
    if (!station || station->trimmed().isEmpty())
        throw OmbrexError(QStringLiteral("--station NAME is needed (see --help)"));
    if (args.isEmpty())
        throw OmbrexError(QStringLiteral("no file to add (see --help)"));
    StationArchive archive(path);
    int failed = 0;
    for (const QString& file : args) {
        try {
            AddFile(archive, *station, version, file);
        } catch (const OmbrexError& e) {
            ToolStation::EndProgress();
            std::fprintf(stderr, "ombrex-tool add: %s\n", qPrintable(e.message()));
            ++failed;
        }
    }
    return failed == 0 ? 0 : 1;
}
