// ombrex-tool stations: the archive's stations, one line each.
#include "archive/StationArchive.h"
#include "tools/ombrex-tool/ToolCommands.h"
#include "tools/ombrex-tool/ToolStation.h"

#include <cstdio>

namespace {

const char kHelp[] = "Usage: ombrex-tool stations [--archive FILE]\n\n"
                     "Lists the stations of the archive: name, first and last record, downloads,\n"
                     "records and last download (UTC). The archive is the per-user one unless\n"
                     "--archive names another.\n";

QString Time(TDateTime t) {
    return t == 0 ? QStringLiteral("-") : LoggerTimeText(t);
}

} // namespace

int RunStations(const QStringList& arguments) {
    QStringList args = arguments;
    if (ToolStation::TakeFlag(args, QStringLiteral("--help"))) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    const QString path = ToolStation::TakeArchivePath(args);
    ToolStation::RefuseUnknownOptions(args);
    StationArchive archive(path);
    const auto stations = archive.Stations();
    std::printf("%-24s %-14s %-14s %9s %9s  %s\n", "station", "first record", "last record",
                "downloads", "records", "last download");
    for (const Archive::StationSummary& s : stations) {
        const QString last = s.LastDownloadUtc.isValid()
                                 ? s.LastDownloadUtc.toString(QStringLiteral("yyyy-MM-dd hh:mm'Z'"))
                                 : QStringLiteral("-");
        std::printf("%-24s %-14s %-14s %9d %9lld  %s\n", qPrintable(s.Name),
                    qPrintable(Time(s.FirstRecord)), qPrintable(Time(s.LastRecord)), s.Downloads,
                    static_cast<long long>(s.Records), qPrintable(last));
    }
    return 0;
}
