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

std::vector<RainMinute> SortedRainMinutes(const std::vector<RainMinute>& series) {
    struct Tagged {
        int64_t minute;
        int64_t tips;
        bool breakBefore;
    };
    constexpr double earliest = -693593, latest = 2958466; // 0001-01-01 and 10000-01-01
    std::vector<Tagged> rain;
    rain.reserve(series.size());
    for (const RainMinute& m : series) {
        if (!(m.Minute >= earliest && m.Minute < latest))
            continue;
        rain.push_back({MinuteNumber(m.Minute), m.Tips, m.BreakBefore});
    }
    // Stable, so a break stays with the entry that followed it.
    std::stable_sort(rain.begin(), rain.end(),
                     [](const Tagged& a, const Tagged& b) { return a.minute < b.minute; });
    std::vector<RainMinute> out;
    out.reserve(rain.size());
    bool pendingBreak = false;
    int64_t sum = 0;
    for (size_t i = 0; i < rain.size(); ++i) {
        const Tagged& t = rain[i];
        pendingBreak = pendingBreak || t.breakBefore;
        if (t.tips > 0)
            sum += t.tips;
        const bool lastOfMinute = i + 1 == rain.size() || rain[i + 1].minute != t.minute;
        if (!lastOfMinute || sum == 0)
            continue;
        const int32_t tips = int32_t(std::min<int64_t>(sum, std::numeric_limits<int32_t>::max()));
        out.push_back({MinuteTime(t.minute), tips, pendingBreak});
        pendingBreak = false;
        sum = 0;
    }
    return out;
}

} // namespace Analysis

std::vector<RainMinute> RainSeriesFromEvents() {
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
