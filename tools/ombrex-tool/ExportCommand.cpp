// ombrex-tool export: a data file (or, with the station archive, a station) in a standard format.
#include "app/SettingsKeys.h"
#include "app/SettingsStore.h"
#include "archive/StationArchive.h"
#include "data/DataUnit.h"
#include "data/RecordFiles.h"
#include "export/StandardExport.h"
#include "tools/ombrex-tool/TerminalProgress.h"
#include "tools/ombrex-tool/ToolCommands.h"
#include "tools/ombrex-tool/ToolStation.h"
#include "ui/OmbrexError.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>

namespace {

const char kUsage[] =
    "Usage: ombrex-tool export (FILE | --station NAME) --format FORMAT -o OUT [OPTIONS]\n"
    "\n"
    "Writes a record in a standard format. FILE is a data file, a Tarnell file or a raw\n"
    "download capture (told apart by their content).\n"
    "\n"
    "  --format FORMAT      record-csv, interval-csv, storms-csv, netcdf or waterml\n"
    "  -o, --output OUT     the file to write; it appears only when complete\n"
    "  --station NAME       a station of the archive instead of a file\n"
    "  --archive FILE       the station archive (default: the per-user one)\n"
    "  --interval N         minutes per interval, 1 to 1440 (default 60), for interval-csv,\n"
    "                       netcdf and waterml\n"
    "  --from DATE          the first interval's start, in the clock zone; DATE is\n"
    "                       2009-03-01 or 2009-03-01T08:00\n"
    "  --to DATE            the last interval's end; a date alone means the end of that day\n"
    "  --zone +HH:MM        the logger clock's offset from UTC (default: this computer's\n"
    "                       standard time, %s)\n"
    "  --logger-version VVV a raw capture's logger version (its third character selects the\n"
    "                       record format; default: the new format)\n"
    "  -h, --help           this text\n"
    "\n"
    "Times are written with their offset and in UTC; periods without logging are empty.\n"
    "Ctrl+C stops the export and leaves no file.\n";

[[noreturn]] void Fail(const QString& message) {
    throw OmbrexError(message);
}

// A command line the tool does not understand: exit 2, as for an unknown command.
struct UsageError : OmbrexError {
    using OmbrexError::OmbrexError;
};

[[noreturn]] void Usage(const QString& message) {
    throw UsageError(message);
}

// "2009-03-01" or "2009-03-01T08:00" (a blank instead of the T too); a date alone is the start
// of that day, or with endOfDay the end of it.
TDateTime ParseDate(const QString& option, const QString& text, bool endOfDay) {
    static const QRegularExpression shape(
        QStringLiteral("^(\\d{4})-(\\d\\d)-(\\d\\d)(?:[T ](\\d\\d):(\\d\\d)(?::00)?)?$"));
    const QRegularExpressionMatch m = shape.match(text.trimmed());
    TDateTime value = 0;
    if (m.hasMatch()) {
        const bool hasTime = !m.captured(4).isEmpty();
        const int hour = hasTime ? m.captured(4).toInt() : 0;
        const int minute = hasTime ? m.captured(5).toInt() : 0;
        if (hour < 24 && TryEncodeDateTime(m.captured(1).toInt(), m.captured(2).toInt(),
                                           m.captured(3).toInt(), hour, minute, 0, 0, value))
            return !hasTime && endOfDay ? value + 1.0 : value;
    }
    Usage(QStringLiteral("%1: '%2' is not a date (write 2009-03-01 or 2009-03-01T08:00)")
              .arg(option, text));
}

struct Arguments {
    QString file, station, archive, output, loggerVersion = QStringLiteral("126");
    QString format, interval, from, to, zone;
    bool help = false;
};

Arguments Parse(const QStringList& args) {
    Arguments a;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        auto value = [&]() -> QString {
            if (i + 1 >= args.size())
                Usage(QStringLiteral("%1 needs a value").arg(arg));
            return args[++i];
        };
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help"))
            a.help = true;
        else if (arg == QLatin1String("--format"))
            a.format = value();
        else if (arg == QLatin1String("-o") || arg == QLatin1String("--output"))
            a.output = value();
        else if (arg == QLatin1String("--station"))
            a.station = value();
        else if (arg == QLatin1String("--archive"))
            a.archive = value();
        else if (arg == QLatin1String("--interval"))
            a.interval = value();
        else if (arg == QLatin1String("--from"))
            a.from = value();
        else if (arg == QLatin1String("--to"))
            a.to = value();
        else if (arg == QLatin1String("--zone"))
            a.zone = value();
        else if (arg == QLatin1String("--logger-version"))
            a.loggerVersion = value();
        else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1)
            Usage(QStringLiteral("unknown option '%1' (see ombrex-tool export --help)").arg(arg));
        else if (a.file.isEmpty())
            a.file = arg;
        else
            Usage(QStringLiteral("one file at a time ('%1' and '%2')").arg(a.file, arg));
    }
    return a;
}

void LoadFile(const QString& path, const QString& loggerVersion) {
    // The collector is the program's setting, as it is when the program opens a file.
    const int factor =
        SettingsStore().ReadInteger(SettingsKeys::Settings, SettingsKeys::BucketFactor, 10);
    DataUnit::BucketFactor = uint16_t(factor > 0 && factor <= 65535 ? factor : 10);
    if (!QFileInfo(path).isFile())
        Fail(QFileInfo::exists(path) ? QStringLiteral("\"%1\" is not a file").arg(path)
                                     : QStringLiteral("\"%1\" does not exist").arg(path));
    const DataFiles::ReadResult result = RecordFiles::ReadRecordFile(path, loggerVersion);
    if (!result.failure.isEmpty())
        Fail(result.failure);
    if (result.errors > 0)
        Fail(QStringLiteral("\"%1\": %2 lines are not records; nothing written")
                 .arg(path)
                 .arg(result.errors));
    if (DataUnit::EventCount() == 0)
        Fail(QStringLiteral("\"%1\" holds no records").arg(path));
    // As the program does: the records are kept, and the user told to check them.
    if (result.crcFailed)
        std::fprintf(stderr,
                     "ombrex-tool export: warning: the check sum of \"%s\" failed; check the "
                     "data carefully\n",
                     qPrintable(path));
}

int Export(const QStringList& args);

} // namespace

int RunExport(const QStringList& args) {
    try {
        return Export(args);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "ombrex-tool export: %s\n", qPrintable(e.message()));
        return 2;
    }
}

namespace {

int Export(const QStringList& args) {
    const Arguments a = Parse(args);
    const int32_t pcZone = StandardExport::PcStandardZoneMinutes();
    if (a.help) {
        std::printf(kUsage, qPrintable(StandardExport::ZoneText(pcZone)));
        return 0;
    }
    if (a.format.isEmpty())
        Usage(QStringLiteral("--format is missing (%1)")
                  .arg(StandardExport::FormatNames().join(QStringLiteral(", "))));
    const std::optional<StandardExport::Format> format = StandardExport::FormatFromName(a.format);
    if (!format)
        Usage(QStringLiteral("unknown format '%1' (choose %2)")
                  .arg(a.format, StandardExport::FormatNames().join(QStringLiteral(", "))));
    if (a.output.isEmpty())
        Usage(QStringLiteral("-o OUT is missing: name the file to write"));
    if (a.file.isEmpty() == a.station.isEmpty())
        Usage(QStringLiteral("name either a data file or --station NAME"));

    StandardExport::Options options;
    options.ZoneMinutes = pcZone;
    if (!a.zone.isEmpty()) {
        const std::optional<int32_t> zone = StandardExport::ParseZone(a.zone);
        if (!zone)
            Usage(QStringLiteral("--zone: '%1' is not an offset from UTC (write +01:00 or -05:00)")
                      .arg(a.zone));
        options.ZoneMinutes = *zone;
    }
    if (!a.interval.isEmpty()) {
        bool ok = false;
        options.IntervalMinutes = a.interval.toInt(&ok);
        if (!ok || options.IntervalMinutes < 1 || options.IntervalMinutes > 1440)
            Usage(QStringLiteral("--interval: '%1' is not a number of minutes from 1 to 1440")
                      .arg(a.interval));
    }
    if (!a.from.isEmpty())
        options.From = ParseDate(QStringLiteral("--from"), a.from, false);
    if (!a.to.isEmpty())
        options.To = ParseDate(QStringLiteral("--to"), a.to, true);
    if (options.From && options.To && *options.To <= *options.From)
        Usage(QStringLiteral("--to must come after --from"));

    if (!a.station.isEmpty()) {
        // A station's record is corrected for clock drift and carries its own clock zone.
        const ToolStation::OpenedStation station = ToolStation::OpenStation(
            a.archive.isEmpty() ? StationArchive::DefaultArchivePath() : a.archive, a.station);
        if (!a.zone.isEmpty() && options.ZoneMinutes != station.ZoneMinutes)
            Usage(QStringLiteral("--zone: the station's clock zone is UTC%1; --zone is for files")
                      .arg(StandardExport::ZoneText(station.ZoneMinutes)));
        options.ZoneMinutes = station.ZoneMinutes;
        options.StationId = QString::number(station.Id);
        options.StationName = station.Name;
        options.Corrections =
            QStringLiteral("logger clock drift corrected where downloads measured it");
        if (DataUnit::EventCount() == 0)
            Fail(QStringLiteral("the station \"%1\" holds no records").arg(station.Name));
    } else {
        LoadFile(a.file, a.loggerVersion);
        const QString name = QFileInfo(a.file).completeBaseName();
        options.StationId = name;
        options.StationName = name;
    }
    options.Flags = StandardExport::ActiveRecordFlags();

    InterruptGuard guard;
    TerminalProgress progress(QStringLiteral("Writing %1").arg(QFileInfo(a.output).fileName()));
    options.Progress = [&progress](double fraction) {
        progress.show(fraction);
        return !InterruptGuard::Interrupted();
    };
    const bool done = StandardExport::Write(*format, a.output, options);
    progress.finish();
    if (!done) {
        std::fprintf(stderr, "ombrex-tool export: interrupted; \"%s\" was not written\n",
                     qPrintable(a.output));
        return 130;
    }
    return 0;
}

} // namespace
