#include "analysis/QualityFlags.h"

#include <QStringView>

#include <algorithm>
#include <cstring>

namespace Analysis {

namespace {

bool IsMessage(const TRainRecord& r, const char16_t* text) {
    return QStringView(r.Message) == QStringView(text);
}

void AddFlag(std::string& flags, char letter) {
    if (flags.find(letter) != std::string::npos)
        return;
    flags.push_back(letter);
    // Kept in vocabulary order, so equal sets read the same everywhere.
    std::sort(flags.begin(), flags.end(), [](char a, char b) {
        return std::strchr(kFlagLetters, a) < std::strchr(kFlagLetters, b);
    });
}

// Whether some time in the sorted list lies `lo`..`hi` minutes after `minute` (negative: before).
bool AnyWithin(const std::vector<int64_t>& sorted, int64_t from, int64_t to) {
    const auto it = std::lower_bound(sorted.begin(), sorted.end(), from);
    return it != sorted.end() && *it <= to;
}

std::vector<int64_t> SortedMinutes(std::vector<int64_t> minutes) {
    std::sort(minutes.begin(), minutes.end());
    minutes.erase(std::unique(minutes.begin(), minutes.end()), minutes.end());
    return minutes;
}

struct RainAt {
    int64_t minute;
    int32_t index;
    int32_t tips;
};

// Flags every record of each group (minutes, hours, days: `width` minutes) whose tips exceed
// `ceilingTips`.
void FlagGroups(const std::vector<RainAt>& rain, int64_t width, double ceilingTips, char letter,
                std::vector<std::string>& flags) {
    size_t begin = 0;
    while (begin < rain.size()) {
        const int64_t group = rain[begin].minute / width;
        int64_t tips = 0;
        size_t end = begin;
        while (end < rain.size() && rain[end].minute / width == group)
            tips += rain[end++].tips;
        // A little slack, so a depth exactly at the ceiling is not above it by rounding.
        if (double(tips) > ceilingTips * (1 + 1e-9))
            for (size_t k = begin; k < end; ++k)
                AddFlag(flags[size_t(rain[k].index)], letter);
        begin = end;
    }
}

} // namespace

QString FlagReason(char letter, const QualitySettings& s) {
    switch (letter) {
    case kFlagStart:
        return QStringLiteral("Within %1 min after the clock was set or the memory cleared")
            .arg(s.StartWindowMinutes);
    case kFlagDownload:
        return QStringLiteral("Within %1 min before a download").arg(s.DownloadWindowMinutes);
    case kFlagRate:
        return QStringLiteral("A minute above %1 mm/h or beyond the bucket's mechanics")
            .arg(s.RateCeilingMmH);
    case kFlagHour:
        return QStringLiteral("An hour above %1 mm").arg(s.HourCeilingMm);
    case kFlagDay:
        return QStringLiteral("A day above %1 mm").arg(s.DayCeilingMm);
    case kFlagMarker:
        return QStringLiteral("Next to a power reset or sequence error");
    case kFlagGap:
        return QStringLiteral("A \"not logging\" gap");
    default:
        return QString();
    }
}

std::vector<std::string> FlagRecords(const std::vector<TRainRecord>& records, double mmPerTip,
                                     const QualitySettings& settings,
                                     const QualityContext& context) {
    const size_t n = records.size();
    std::vector<std::string> flags(n);
    std::vector<int64_t> starts;
    std::vector<int64_t> ends;
    for (TDateTime t : context.ClockSettings)
        starts.push_back(MinuteNumber(t));
    for (TDateTime t : context.Downloads)
        ends.push_back(MinuteNumber(t));

    std::vector<RainAt> rain;
    rain.reserve(n);
    bool segmentOpen = false;
    int64_t segmentEnd = 0;
    for (size_t i = 0; i < n; ++i) {
        const TRainRecord& r = records[i];
        if (IsMarkerDate(r.DateTime)) {
            AddFlag(flags[i], kFlagMarker);
            if (i > 0)
                AddFlag(flags[i - 1], kFlagMarker);
            if (i + 1 < n)
                AddFlag(flags[i + 1], kFlagMarker);
            continue;
        }
        const int64_t minute = MinuteNumber(r.DateTime);
        if (IsMessage(r, kNotLogging)) {
            AddFlag(flags[i], kFlagGap);
            if (segmentOpen)
                ends.push_back(std::max(segmentEnd, minute));
            segmentOpen = false;
            continue;
        }
        if (IsMessage(r, kLoggingAgain))
            AddFlag(flags[i], kFlagGap);
        if (!segmentOpen) {
            starts.push_back(minute);
            segmentOpen = true;
            segmentEnd = minute;
        }
        segmentEnd = std::max(segmentEnd, minute);
        if (r.Count > 0)
            rain.push_back({minute, int32_t(i), r.Count});
    }
    if (segmentOpen)
        ends.push_back(segmentEnd);
    starts = SortedMinutes(std::move(starts));
    ends = SortedMinutes(std::move(ends));

    for (const RainAt& a : rain) {
        if (AnyWithin(starts, a.minute - settings.StartWindowMinutes, a.minute))
            AddFlag(flags[size_t(a.index)], kFlagStart);
        if (AnyWithin(ends, a.minute, a.minute + settings.DownloadWindowMinutes))
            AddFlag(flags[size_t(a.index)], kFlagDownload);
    }

    std::stable_sort(rain.begin(), rain.end(),
                     [](const RainAt& a, const RainAt& b) { return a.minute < b.minute; });
    if (mmPerTip > 0) {
        double minuteCeiling = settings.RateCeilingMmH / 60.0 / mmPerTip;
        // Beyond n·δ = 30 s no bucket can tip that often: such a minute is not real rain.
        if (settings.TipTimeConstantS > 0)
            minuteCeiling = std::min(minuteCeiling, 30.0 / settings.TipTimeConstantS);
        FlagGroups(rain, 1, minuteCeiling, kFlagRate, flags);
        FlagGroups(rain, 60, settings.HourCeilingMm / mmPerTip, kFlagHour, flags);
        FlagGroups(rain, 1440, settings.DayCeilingMm / mmPerTip, kFlagDay, flags);
    }
    return flags;
}

std::vector<TRainRecord> EventTableCopy() {
    std::vector<TRainRecord> records;
    const int32_t n = DataUnit::EventCount();
    records.reserve(size_t(std::max(n, 0)));
    for (int32_t i = 0; i < n; ++i) {
        bool out = false;
        TRainRecord r = DataUnit::GetEvent(i, out);
        if (out)
            break;
        records.push_back(std::move(r));
    }
    return records;
}

std::vector<std::string> FlagEvents(const QualitySettings& settings,
                                    const QualityContext& context) {
    return FlagRecords(EventTableCopy(), MillimetresPerTip(), settings, context);
}

} // namespace Analysis
