#include "export/StandardExport.h"

#include "ui/OmbrexError.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTimeZone>

namespace StandardExport {

namespace {

struct Named {
    Format format;
    const char* name;
    const char* extension;
};

constexpr Named kFormats[] = {
    {Format::RecordCsv, "record-csv", "csv"}, {Format::IntervalCsv, "interval-csv", "csv"},
    {Format::StormsCsv, "storms-csv", "csv"}, {Format::NetCdf, "netcdf", "nc"},
    {Format::WaterMl, "waterml", "xml"},
};

} // namespace

QString FormatName(Format format) {
    for (const Named& n : kFormats)
        if (n.format == format)
            return QLatin1String(n.name);
    return {};
}

std::optional<Format> FormatFromName(const QString& name) {
    for (const Named& n : kFormats)
        if (name == QLatin1String(n.name))
            return n.format;
    return std::nullopt;
}

QStringList FormatNames() {
    QStringList names;
    for (const Named& n : kFormats)
        names << QLatin1String(n.name);
    return names;
}

QString FileExtension(Format format) {
    for (const Named& n : kFormats)
        if (n.format == format)
            return QLatin1String(n.extension);
    return {};
}

bool UsesInterval(Format format) {
    return format == Format::IntervalCsv || format == Format::NetCdf || format == Format::WaterMl;
}

QString ZoneText(int32_t minutes) {
    const int32_t a = minutes < 0 ? -minutes : minutes;
    return QStringLiteral("%1%2:%3")
        .arg(minutes < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(a / 60, 2, 10, QLatin1Char('0'))
        .arg(a % 60, 2, 10, QLatin1Char('0'));
}

std::optional<int32_t> ParseZone(const QString& text) {
    static const QRegularExpression shape(QStringLiteral("^([+-])(\\d\\d):?(\\d\\d)$"));
    const QRegularExpressionMatch m = shape.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const int hours = m.captured(2).toInt(), minutes = m.captured(3).toInt();
    const int total = hours * 60 + minutes;
    if (minutes >= 60 || total > 14 * 60)
        return std::nullopt;
    return m.captured(1) == QLatin1String("-") ? -total : total;
}

int32_t PcStandardZoneMinutes() {
    return QTimeZone::systemTimeZone().standardTimeOffset(QDateTime::currentDateTime()) / 60;
}

bool Write(Format format, const QString& path, const Options& options) {
    if (UsesInterval(format) && (options.IntervalMinutes < 1 || options.IntervalMinutes > 1440))
        throw OmbrexError(QStringLiteral("The interval must be 1 to 1440 minutes, not %1")
                              .arg(options.IntervalMinutes));
    if (options.ZoneMinutes < -14 * 60 || options.ZoneMinutes > 14 * 60)
        throw OmbrexError(QStringLiteral("The clock zone must lie within 14 hours of UTC"));
    if (options.From && options.To && *options.To <= *options.From)
        throw OmbrexError(QStringLiteral("The end of the range must come after its start"));
    switch (format) {
    case Format::RecordCsv:
        return WriteRecordCsv(path, options);
    case Format::IntervalCsv:
        return WriteIntervalCsv(path, options);
    case Format::StormsCsv:
        return WriteStormsCsv(path, options);
    case Format::NetCdf:
        return WriteNetcdf(path, options);
    case Format::WaterMl:
        return WriteWaterMl(path, options);
    }
    return false;
}

} // namespace StandardExport
