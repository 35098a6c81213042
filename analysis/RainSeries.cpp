#include "analysis/RainSeries.h"

#include "data/DataUnit.h"

#include <QStringView>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Analysis {

int64_t MinuteNumber(TDateTime t) {
    // Half a second of slack: a time stored as days is rarely an exact binary fraction.
    return int64_t(std::floor(t * 1440.0 + 1.0 / 120.0));
}

TDateTime MinuteTime(int64_t minute) {
    return double(minute) / 1440.0;
}

bool IsMarkerDate(TDateTime t) {
    return t == DataUnit::PowerResetDate || t == DataUnit::SequenceErrorDate;
}

std::vector<MinuteTips> SortedMinuteTips(const std::vector<RainMinute>& series) {
    constexpr double earliest = -693593, latest = 2958466; // 0001-01-01 and 10000-01-01
    std::vector<MinuteTips> rain;
    rain.reserve(series.size());
    for (const RainMinute& m : series) {
        if (!(m.Minute >= earliest && m.Minute < latest))
            continue;
        rain.push_back({MinuteNumber(m.Minute), m.Tips, m.BreakBefore});
    }
    // Stable, so a break stays with the entry that followed it. Tables are nearly always in
    // order already.
    const auto earlier = [](const MinuteTips& a, const MinuteTips& b) {
        return a.Minute < b.Minute;
    };
    if (!std::is_sorted(rain.begin(), rain.end(), earlier))
        std::stable_sort(rain.begin(), rain.end(), earlier);
    // Merged in place: the write position never passes the read position.
    size_t out = 0;
    bool pendingBreak = false;
    int64_t sum = 0;
    for (size_t i = 0; i < rain.size(); ++i) {
        const MinuteTips t = rain[i];
        pendingBreak = pendingBreak || t.BreakBefore;
        if (t.Tips > 0)
            sum += t.Tips;
        const bool lastOfMinute = i + 1 == rain.size() || rain[i + 1].Minute != t.Minute;
        if (!lastOfMinute || sum == 0)
            continue;
        rain[out++] = {t.Minute, sum, pendingBreak};
        pendingBreak = false;
        sum = 0;
    }
    rain.resize(out);
    return rain;
}

std::vector<RainMinute> SortedRainMinutes(const std::vector<RainMinute>& series) {
    const std::vector<MinuteTips> rain = SortedMinuteTips(series);
    std::vector<RainMinute> out;
    out.reserve(rain.size());
    for (const MinuteTips& t : rain) {
        const int32_t tips =
            int32_t(std::min<int64_t>(t.Tips, std::numeric_limits<int32_t>::max()));
        out.push_back({MinuteTime(t.Minute), tips, t.BreakBefore});
    }
    return out;
}

} // namespace Analysis

std::vector<RainMinute> RainSeriesFromEvents() {
    return RainSeriesFromEvents(std::vector<bool>());
}

std::vector<RainMinute> RainSeriesFromEvents(const std::vector<bool>& leaveOut) {
    const int32_t n = DataUnit::EventCount();
    std::vector<RainMinute> rain;
    rain.reserve(size_t(std::max(n, 0)));
    bool pendingBreak = false;
    for (int32_t i = 0; i < n; ++i) {
        bool out = false;
        const TRainRecord r = DataUnit::GetEvent(i, out);
        if (out)
            break;
        if (Analysis::IsMarkerDate(r.DateTime) ||
            QStringView(r.Message) == QStringView(Analysis::kNotLogging)) {
            pendingBreak = true;
            continue;
        }
        if (r.Count <= 0)
            continue;
        // A break before a left-out record stays pending for the next one.
        if (size_t(i) < leaveOut.size() && leaveOut[size_t(i)])
            continue;
        rain.push_back({r.DateTime, r.Count, pendingBreak});
        pendingBreak = false;
    }
    return Analysis::SortedRainMinutes(rain);
}

double MillimetresPerTip() {
    const double perTip = DataUnit::BucketFactor / 1000.0;
    return DataUnit::IsInches() ? perTip * 25.4 : perTip;
}

std::vector<LoggedSpan> LoggedSpansFromEvents() {
    std::vector<LoggedSpan> spans;
    const int32_t n = DataUnit::EventCount();
    bool open = false;
    LoggedSpan current{};
    for (int32_t i = 0; i < n; ++i) {
        bool out = false;
        const TRainRecord r = DataUnit::GetEvent(i, out);
        if (out)
            break;
        if (Analysis::IsMarkerDate(r.DateTime))
            continue;
        const QStringView message(r.Message);
        if (message == QStringView(Analysis::kNotLogging)) {
            if (open) {
                current.To = std::max(current.To, r.DateTime);
                spans.push_back(current);
                open = false;
            }
            continue;
        }
        if (!open) {
            current = {r.DateTime, r.DateTime};
            open = true;
        } else {
            // A record dated before the span (a reset clock's) does not stretch it backwards.
            current.To = std::max(current.To, r.DateTime);
        }
    }
    if (open)
        spans.push_back(current);
    return spans;
}
