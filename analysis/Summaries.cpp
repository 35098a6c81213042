#include "analysis/Summaries.h"

#include "analysis/Calibration.h"

#include <algorithm>
#include <cmath>

namespace Analysis {

namespace {

int MonthKey(TDateTime t) {
    const TDateParts p = DecodeDateTime(t);
    return p.year * 12 + (p.month - 1);
}

TDateTime MonthStart(int key) {
    return EncodeDate(key / 12, key % 12 + 1, 1);
}

int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

std::vector<LoggedSpan> Merged(std::vector<LoggedSpan> spans) {
    std::sort(spans.begin(), spans.end(),
              [](const LoggedSpan& a, const LoggedSpan& b) { return a.From < b.From; });
    std::vector<LoggedSpan> out;
    for (const LoggedSpan& s : spans) {
        if (!(s.To > s.From))
            continue;
        if (!out.empty() && s.From <= out.back().To)
            out.back().To = std::max(out.back().To, s.To);
        else
            out.push_back(s);
    }
    return out;
}

} // namespace

Summaries Summarise(const std::vector<RainMinute>& series, double mmPerTip,
                    const std::vector<Storm>& storms, const std::vector<LoggedSpan>& spans,
                    double tipTimeConstantS) {
    Summaries result;
    const std::vector<RainMinute> rain = SortedRainMinutes(series);
    const std::vector<LoggedSpan> logged = Merged(spans);
    constexpr double earliest = -693593, latest = 2958466; // the years 1 to 9999
    double first = latest, last = earliest;
    auto widen = [&](TDateTime t) {
        if (t >= earliest && t < latest) {
            first = std::min(first, t);
            last = std::max(last, t);
        }
    };
    if (!rain.empty()) {
        widen(rain.front().Minute);
        widen(rain.back().Minute);
    }
    for (const LoggedSpan& s : logged) {
        widen(s.From);
        // A span that ends at midnight on the 1st does not reach into that month.
        widen(std::max(s.From, s.To - 1.0 / 1440));
    }
    for (const Storm& s : storms)
        widen(s.Start);
    if (first > last)
        return result;

    const int firstKey = MonthKey(first);
    const int lastKey = MonthKey(last);
    std::vector<PeriodSummary>& months = result.Months;
    std::vector<double> coveredDays(size_t(lastKey - firstKey + 1), 0.0);
    months.resize(coveredDays.size());
    for (int key = firstKey; key <= lastKey; ++key) {
        months[size_t(key - firstKey)].Year = key / 12;
        months[size_t(key - firstKey)].Month = key % 12 + 1;
    }
    auto at = [&](TDateTime t) -> PeriodSummary& {
        return months[size_t(std::clamp(MonthKey(t), firstKey, lastKey) - firstKey)];
    };

    // Rain, one calendar day at a time.
    int64_t day = 0;
    int64_t dayTips = 0;
    double dayCorrected = 0;
    auto closeDay = [&]() {
        if (dayTips <= 0)
            return;
        PeriodSummary& m = at(double(day));
        const double depth = tipTimeConstantS > 0 ? dayCorrected : double(dayTips) * mmPerTip;
        m.DepthMm += depth;
        ++m.RainDays;
        if (depth > m.LargestDayMm) {
            m.LargestDayMm = depth;
            m.LargestDay = double(day);
        }
    };
    for (const RainMinute& r : rain) {
        const int64_t d = FloorDiv(MinuteNumber(r.Minute), 1440);
        if (d != day) {
            closeDay();
            day = d;
            dayTips = 0;
            dayCorrected = 0;
        }
        dayTips += r.Tips;
        if (tipTimeConstantS > 0)
            dayCorrected += CorrectMinute(r.Tips, mmPerTip, tipTimeConstantS).DepthMm;
    }
    closeDay();

    for (const Storm& s : storms) {
        if (!(s.Start >= earliest && s.Start < latest))
            continue;
        PeriodSummary& m = at(s.Start);
        ++m.Storms;
        m.LargestI60MmH = std::max(m.LargestI60MmH, s.MaxIntensityMmH[kI60]);
        if (s.Erosive) {
            ++m.ErosiveStorms;
            m.R += s.EI30;
        }
    }

    for (const LoggedSpan& s : logged) {
        const int from = std::max(MonthKey(s.From), firstKey);
        for (int key = from; key <= lastKey; ++key) {
            const double a = std::max(s.From, MonthStart(key));
            const double b = std::min(s.To, MonthStart(key + 1));
            if (b <= a)
                break;
            coveredDays[size_t(key - firstKey)] += b - a;
        }
    }
    for (int key = firstKey; key <= lastKey; ++key) {
        const double length = MonthStart(key + 1) - MonthStart(key);
        months[size_t(key - firstKey)].Completeness =
            std::min(1.0, coveredDays[size_t(key - firstKey)] / length);
    }

    // Years from their months: December and January belong to their own calendar years.
    for (int key = firstKey; key <= lastKey; ++key) {
        const PeriodSummary& m = months[size_t(key - firstKey)];
        if (result.Years.empty() || result.Years.back().Year != m.Year) {
            PeriodSummary y;
            y.Year = m.Year;
            result.Years.push_back(y);
        }
        PeriodSummary& y = result.Years.back();
        y.DepthMm += m.DepthMm;
        y.RainDays += m.RainDays;
        if (m.LargestDayMm > y.LargestDayMm) {
            y.LargestDayMm = m.LargestDayMm;
            y.LargestDay = m.LargestDay;
        }
        y.LargestI60MmH = std::max(y.LargestI60MmH, m.LargestI60MmH);
        y.Storms += m.Storms;
        y.ErosiveStorms += m.ErosiveStorms;
        y.R += m.R;
        // Held as covered days until the year is complete.
        y.Completeness += coveredDays[size_t(key - firstKey)];
    }
    for (PeriodSummary& y : result.Years) {
        const double length = EncodeDate(y.Year + 1, 1, 1) - EncodeDate(y.Year, 1, 1);
        y.Completeness = std::min(1.0, y.Completeness / length);
    }
    return result;
}

} // namespace Analysis
