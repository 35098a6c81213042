#include "archive/ArchiveTime.h"

#include "data/DataUnit.h"

#include <algorithm>
#include <cmath>

namespace ArchiveTime {

namespace {
constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kEpochDay = 25569; // 1970-01-01 in days since 1899-12-30
} // namespace

int64_t Seconds(TDateTime value) {
    if (!std::isfinite(value))
        return 0;
    // Before the zero day the fraction counts forward from midnight (as the encoder does).
    const double day = std::trunc(value);
    const double fraction = std::fabs(value - day);
    const int64_t seconds = std::llround(fraction * double(kSecondsPerDay));
    return (int64_t(day) - kEpochDay) * kSecondsPerDay + (value < 0 ? -seconds : seconds);
}

TDateTime FromSeconds(int64_t seconds) {
    int64_t day = seconds / kSecondsPerDay;
    int64_t rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        --day;
        rest += kSecondsPerDay;
    }
    const double date = double(day + kEpochDay);
    const double time = double(rest * 1000) / double(kSecondsPerDay * 1000);
    return date < 0 ? date - time : date + time;
}

bool IsMarker(int64_t seconds) {
    static const int64_t reset = Seconds(DataUnit::PowerResetDate);
    static const int64_t sequence = Seconds(DataUnit::SequenceErrorDate);
    return seconds == reset || seconds == sequence;
}

Drift::Drift(int64_t start, std::vector<std::pair<int64_t, double>> anchors) {
    // In the order they were measured (true time is the logger's less its offset); a reading
    // whose logger time does not move on from the one before (a clock set back in between)
    // cannot be placed on the logger's time line and says nothing.
    std::sort(anchors.begin(), anchors.end(), [](const auto& a, const auto& b) {
        return double(a.first) - a.second < double(b.first) - b.second;
    });
    m_points.emplace_back(start, 0.0);
    for (const auto& a : anchors)
        if (a.first > m_points.back().first)
            m_points.push_back(a);
}

double Drift::OffsetAt(int64_t raw) const {
    if (raw <= m_points.front().first)
        return 0;
    if (raw >= m_points.back().first)
        return m_points.back().second;
    const auto next = std::upper_bound(m_points.begin(), m_points.end(), raw,
                                       [](int64_t t, const auto& p) { return t < p.first; });
    const auto prev = next - 1;
    const double share = double(raw - prev->first) / double(next->first - prev->first);
    return prev->second + share * (next->second - prev->second);
}

int64_t Drift::Correct(int64_t raw) const {
    if (IsMarker(raw) || m_points.size() == 1)
        return raw;
    const double corrected = double(raw) - OffsetAt(raw);
    return std::llround(corrected / 60.0) * 60;
}

} // namespace ArchiveTime
