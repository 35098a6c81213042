// ombrex-tool storms: the storm table of a data file, a Tarnell file or a raw capture as CSV.
#include "tools/ombrex-tool/ToolCommands.h"

#include "analysis/QualityState.h"
#include "analysis/RainSeries.h"
#include "analysis/StormReport.h"
#include "analysis/Storms.h"
#include "analysis/StormsCsv.h"
#include "analysis/TableStorms.h"
#include "app/SettingsKeys.h"
#include "app/SettingsStore.h"
#include "app/StationQuality.h"
#include "archive/StationArchive.h"
#include "data/DataUnit.h"
#include "data/RecordFiles.h"
#include "tools/ombrex-tool/ToolStation.h"
#include "ui/OmbrexError.h"

#include <QDateTime>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimeZone>

#include <cstdio>

namespace {

const char kUsage[] =
    "Usage: ombrex-tool storms FILE [OPTIONS]\n"
    "       ombrex-tool storms --station NAME [--archive FILE] [OPTIONS]\n"
    "\n"
    "Prints the storms of a data file, a Tarnell file, a raw download capture or a station of\n"
    "the archive as CSV on\n"
    "standard output, one row a storm in time order: start and end (logger clock and UTC),\n"
    "duration, tips, depth, peak intensities for 5 minutes to 24 hours, storm energy, EI30 and\n"
    "whether the storm is erosive. Depths in mm, intensities in mm/h, energy in MJ/ha, EI30 in\n"
    "MJ mm/(ha h). A first line starting with # names the file, the options and whether\n"
    "accepted quality flags were left out (the program's \"Leave out accepted flags\").\n"
    "\n"
    "Options (defaults from the program's settings):\n"
    "  --separation MINUTES    dry time that separates two storms (360)\n"
    "  --energy EQUATION       brown-foster, mcgregor or usle (brown-foster)\n"
    "  --bucket-factor N       the collector: thousandths of the unit per tip, 10 = 0.01 inch "
    "(10)\n"
    "  --zone +HH:MM           the logger clock's offset from UTC (the PC's standard time)\n"
    "  --logger-version VVV    a raw capture's logger version; its third character selects the\n"
    "                          record format (225: the new format)\n"
    "  --ignore-crc            analyse a file whose check sum fails\n"
    "  --station NAME          a station of the archive: its collector, clock zone, quality\n"
    "                          settings and the flags accepted in the program; where its tip\n"
    "                          time constant is set, corrected_* columns follow the raw ones\n"
    "  --archive FILE          another archive than the per-user one\n"
    "  --help                  this text\n";

struct Options {
    QString file;
    QString station;
    QString archive;
    QString loggerVersion = QStringLiteral("225");
    Analysis::StormOptions storm;
    int bucketFactor = 10;
    int zoneMinutes = 0;
    bool ignoreCrc = false;
    bool leaveOutFlags = false;
};

int ReadSetting(const QLatin1StringView section, const QLatin1StringView name, int fallback) {
    try {
        return SettingsStore().ReadInteger(section, name, fallback);
    } catch (const OmbrexError&) {
        return fallback; // a value of the wrong type: the default, as the program does
    }
}

int StandardTimeOffsetMinutes() {
    const QTimeZone zone = QTimeZone::systemTimeZone();
    return zone.standardTimeOffset(QDateTime::currentDateTime()) / 60;
}

int Zone(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^([+-])(\\d\\d):(\\d\\d)$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch() || m.captured(2).toInt() > 14 || m.captured(3).toInt() > 59)
        throw OmbrexError(
            QStringLiteral("--zone wants an offset such as +01:00, not '%1'").arg(text));
    const int minutes = m.captured(2).toInt() * 60 + m.captured(3).toInt();
    return m.captured(1) == QLatin1String("-") ? -minutes : minutes;
}

int WholeNumber(const QString& option, const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        throw OmbrexError(QStringLiteral("%1 wants a whole number from %2 to %3, not '%4'")
                              .arg(option)
                              .arg(low)
                              .arg(high)
                              .arg(text));
    return value;
}

Analysis::EnergyEquation Equation(const QString& text) {
    if (text == QLatin1String("brown-foster"))
        return Analysis::EnergyEquation::BrownFoster;
    if (text == QLatin1String("mcgregor"))
        return Analysis::EnergyEquation::McGregor;
    if (text == QLatin1String("usle"))
        return Analysis::EnergyEquation::Usle;
    throw OmbrexError(
        QStringLiteral("--energy wants brown-foster, mcgregor or usle, not '%1'").arg(text));
}

// Returns false when --help was asked for.
bool Parse(const QStringList& args, Options& o) {
    namespace K = SettingsKeys;
    o.storm.SeparationMinutes = std::clamp(
        ReadSetting(K::Storms, K::SeparationMinutes, o.storm.SeparationMinutes), 0, 100000);
    o.storm.Energy =
        Analysis::EnergyEquation(std::clamp(ReadSetting(K::Storms, K::EnergyEquation, 0), 0, 2));
    o.bucketFactor = ReadSetting(K::Settings, K::BucketFactor, 10);
    if (o.bucketFactor < 1 || o.bucketFactor > 65535)
        o.bucketFactor = 10;
    o.zoneMinutes = StandardTimeOffsetMinutes();
    try {
        o.leaveOutFlags = SettingsStore().ReadBool(K::Analysis, K::LeaveOutAcceptedFlags, false);
    } catch (const OmbrexError&) {
        o.leaveOutFlags = false;
    }
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&]() -> QString {
            if (i + 1 >= args.size())
                throw OmbrexError(QStringLiteral("%1 needs a value").arg(a));
            return args[++i];
        };
        if (a == QLatin1String("--help") || a == QLatin1String("-h"))
            return false;
        if (a == QLatin1String("--separation"))
            o.storm.SeparationMinutes = WholeNumber(a, value(), 0, 100000);
        else if (a == QLatin1String("--energy"))
            o.storm.Energy = Equation(value());
        else if (a == QLatin1String("--bucket-factor"))
            o.bucketFactor = WholeNumber(a, value(), 1, 65535);
        else if (a == QLatin1String("--zone"))
            o.zoneMinutes = Zone(value());
        else if (a == QLatin1String("--logger-version"))
            o.loggerVersion = value();
        else if (a == QLatin1String("--station"))
            o.station = value();
        else if (a == QLatin1String("--archive"))
            o.archive = value();
        else if (a == QLatin1String("--ignore-crc"))
            o.ignoreCrc = true;
        else if (a.startsWith(QLatin1String("--")))
            throw OmbrexError(QStringLiteral("unknown option '%1' (see --help)").arg(a));
        else if (!o.file.isEmpty())
            throw OmbrexError(QStringLiteral("one file at a time, not '%1' as well").arg(a));
        else
            o.file = a;
    }
    if (!o.station.isEmpty() && !o.file.isEmpty())
        throw OmbrexError(QStringLiteral("a file or --station, not both"));
    if (!o.archive.isEmpty() && o.station.isEmpty())
        throw OmbrexError(QStringLiteral("--archive goes with --station"));
    if (o.file.isEmpty() && o.station.isEmpty())
        throw OmbrexError(QStringLiteral("no file given (see --help)"));
    return true;
}

int PrintStorms(const Options& o, const QString& source) {
    Analysis::SetLeaveOutAcceptedFlags(o.leaveOutFlags);
    const Analysis::TableStorms analysis = Analysis::AnalyseTables(o.storm);
    // A comment line, so that readers that skip "#" lines take the table as it is.
    const QString note = QStringLiteral("# %1; %2; %3\n")
                             .arg(source, StormReport::OptionsText(o.storm, DataUnit::BucketFactor),
                                  StormReport::QualityText(analysis));
    const QByteArray csv =
        note.toUtf8() + Analysis::StormsCsv(analysis.Storms, o.zoneMinutes, analysis.Corrected);
    if (std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout) != size_t(csv.size()) ||
        std::fflush(stdout) != 0)
        throw OmbrexError(QStringLiteral("cannot write to standard output"));
    return 0;
}

// The station's own collector, zone, quality settings and stored decisions replace the
// program's settings and any --bucket-factor or --zone.
int StationStorms(Options o) {
    const QString path = o.archive.isEmpty() ? StationArchive::DefaultArchivePath() : o.archive;
    const ToolStation::OpenedStation opened = ToolStation::OpenStation(path, o.station);
    StationArchive archive(path);
    const auto decisions = StationQuality::Activate(archive, opened.Id, opened.Keys);
    o.zoneMinutes = opened.ZoneMinutes;
    return PrintStorms(o, QStringLiteral("station \"%1\"").arg(opened.Name));
}

} // namespace

int RunStorms(const QStringList& args) {
    Options o;
    if (!Parse(args, o)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!o.station.isEmpty())
        return StationStorms(o);
    DataUnit::BucketFactor = uint16_t(o.bucketFactor);
    const DataFiles::ReadResult read = RecordFiles::ReadRecordFile(o.file, o.loggerVersion);
    if (!read.failure.isEmpty())
        throw OmbrexError(read.failure);
    if (read.errors > 0)
        throw OmbrexError(
            QStringLiteral("\"%1\": %2 lines are not records").arg(o.file).arg(read.errors));
    if (read.crcFailed && !o.ignoreCrc)
        throw OmbrexError(
            QStringLiteral("\"%1\": the check sum failed, the records may hold errors "
                           "(--ignore-crc to analyse them anyway)")
                .arg(o.file));
    return PrintStorms(o, QFileInfo(o.file).fileName());
}
