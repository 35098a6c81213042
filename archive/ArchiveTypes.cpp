#include "archive/ArchiveTypes.h"

#include <QTimeZone>

namespace Archive {

QString SourceName(Source source) {
    switch (source) {
    case Source::Download:
        return QStringLiteral("download");
    case Source::RawCapture:
        return QStringLiteral("raw capture");
    case Source::DataFile:
        return QStringLiteral("data file");
    case Source::Tarnell:
        return QStringLiteral("Tarnell file");
    }
    return {};
}

std::vector<TRainRecord> RecordsFromTables() {
    std::vector<TRainRecord> out;
    out.reserve(size_t(DataUnit::EventCount()));
    bool outOfRange = false;
    for (int32_t i = 0; i < DataUnit::EventCount(); ++i)
        out.push_back(DataUnit::GetEvent(i, outOfRange));
    return out;
}

ClockReading ReadingFromStatus(double clockOffsetDays, const QDateTime& pcNow) {
    return {FromQDateTime(pcNow.toLocalTime()) - clockOffsetDays, pcNow.toUTC()};
}

int32_t PcStandardZoneMinutes() {
    return QTimeZone::systemTimeZone().standardTimeOffset(QDateTime::currentDateTimeUtc()) / 60;
}

} // namespace Archive
