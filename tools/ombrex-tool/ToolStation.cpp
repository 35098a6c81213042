#include "tools/ombrex-tool/ToolStation.h"

#include "archive/StationArchive.h"
#include "ui/OmbrexError.h"

#include <QSettings>

#include <cstdio>
#include <unistd.h>

namespace ToolStation {

std::optional<QString> TakeOption(QStringList& args, const QString& name) {
    std::optional<QString> value;
    const QString prefix = name + QLatin1Char('=');
    for (qsizetype i = 0; i < args.size();) {
        if (args[i] == name) {
            if (i + 1 >= args.size())
                throw OmbrexError(QStringLiteral("%1 needs a value").arg(name));
            value = args[i + 1];
            args.remove(i, 2);
        } else if (args[i].startsWith(prefix)) {
            value = args[i].mid(prefix.size());
            args.remove(i);
        } else {
            ++i;
        }
    }
    return value;
}

bool TakeFlag(QStringList& args, const QString& name) {
    return args.removeAll(name) > 0;
}

void RefuseUnknownOptions(const QStringList& args) {
    for (const QString& a : args)
        if (a.startsWith(QLatin1String("--")))
            throw OmbrexError(QStringLiteral("unknown option %1 (see --help)").arg(a));
}

QString TakeArchivePath(QStringList& args) {
    return TakeOption(args, QStringLiteral("--archive"))
        .value_or(StationArchive::DefaultArchivePath());
}

uint16_t DefaultBucketFactor() {
    // The program's settings store: section "Settings", value "Bucket Factor", kept as text.
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                             QStringLiteral("Pluvatec"), QStringLiteral("Ombrex2"));
    bool ok = false;
    const int factor =
        settings.value(QStringLiteral("Settings/Bucket Factor")).toString().toInt(&ok);
    return ok && factor > 0 && factor < 65536 ? uint16_t(factor) : uint16_t(10);
}

OpenedStation OpenStation(const QString& archivePath, const QString& stationName) {
    StationArchive archive(archivePath);
    const int64_t id = archive.FindStation(stationName);
    if (id == 0)
        throw OmbrexError(QStringLiteral("there is no station \"%1\" in the archive \"%2\"")
                              .arg(stationName, archivePath));
    Archive::LoadedStation loaded = archive.LoadStationIntoTables(id);
    OpenedStation out;
    out.Id = id;
    out.Name = loaded.Station.Name;
    out.ZoneMinutes = loaded.Station.ZoneMinutes;
    out.BucketFactor = loaded.Station.BucketFactor;
    out.Keys = std::move(loaded.Keys);
    return out;
}

void Progress(const QString& text) {
    if (isatty(STDERR_FILENO))
        std::fprintf(stderr, "\r%s\033[K", qPrintable(text));
}

void EndProgress() {
    if (isatty(STDERR_FILENO))
        std::fprintf(stderr, "\r\033[K");
}

} // namespace ToolStation
