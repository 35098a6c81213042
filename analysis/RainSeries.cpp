#include "analysis/RainSeries.h"

#include "data/DataUnit.h"

#include <QStringView>

#include <algorithm>
#include <cmath>

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

} // namespace Analysis

namespace {

struct Tagged {
    int64_t minute;
    int32_t tips;
    bool breakBefore;
};

} // namespace

std::vector<RainMinute> RainSeriesFromEvents() {
    return RainSeriesFromEvents(std::vector<bool>());
}

std::vector<RainMinute> RainSeriesFromEvents(const std::vector<bool>& leaveOut) {
    const int32_t n = DataUnit::EventCount();
    std::vector<Tagged> rain;
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
        rain.push_back({Analysis::MinuteNumber(r.DateTime), r.Count, pendingBreak});
        pendingBreak = false;
    }
    // Stable, so a break stays with the record that followed it in the table.
    std::stable_sort(rain.begin(), rain.end(),
                     [](const Tagged& a, const Tagged& b) { return a.minute < b.minute; });
    std::vector<RainMinute> series;
    series.reserve(rain.size());
    for (const Tagged& t : rain) {
        if (!series.empty() && Analysis::MinuteNumber(series.back().Minute) == t.minute) {
            series.back().Tips += t.tips;
            series.back().BreakBefore = series.back().BreakBefore || t.breakBefore;
        } else {
            series.push_back({Analysis::MinuteTime(t.minute), t.tips, t.breakBefore});
        }
    }
    return series;
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
