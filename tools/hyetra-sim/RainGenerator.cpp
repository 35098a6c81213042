#include "tools/hyetra-sim/RainGenerator.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

// Own helpers over the raw engine, so a seed gives the same rain with every library.
class Dice {
public:
    explicit Dice(quint64 seed) : m_engine(seed) {}
    double uniform() { return double(m_engine() >> 11) * (1.0 / 9007199254740992.0); }
    double exponential(double mean) { return -mean * std::log(1.0 - uniform()); }
    int between(int low, int high) { return low + int(uniform() * double(high - low + 1)); }
    bool chance(double p) { return uniform() < p; }
    // Tips in one minute at `rate` tips per minute.
    int poisson(double rate) {
        const double limit = std::exp(-rate);
        int k = 0;
        for (double p = uniform(); p > limit && k < 255; p *= uniform())
            ++k;
        return k;
    }

private:
    std::mt19937_64 m_engine;
};

const char* const kMessages[] = {"Low Battery", "Battery Replaced", "Clock Adjusted",
                                 "Door Opened"};

} // namespace

LoggerMemory GenerateMemory(int records, quint64 seed, const LoggerTime& now, bool newFormat) {
    Dice dice(seed);
    // Minutes from an arbitrary origin; shifted to end near now at the end.
    struct Entry {
        qint64 minute;
        int count;
        QString message;
        bool powerReset;
    };
    std::vector<Entry> entries;
    entries.reserve(size_t(std::max(records, 0)));

    // About 25 records a storm; keep even a full 2 MB memory within some four years.
    const double storms = std::max(1.0, records / 25.0);
    const double dryMeanMinutes = std::min(3.0 * 1440.0, 4.0 * 365.0 * 1440.0 / storms);

    qint64 minute = 0;
    while (int(entries.size()) < records) {
        // One storm: its rain rate rises and falls over its length.
        const int length = dice.between(15, 240);
        const double peak = 0.1 + dice.exponential(0.5);
        for (int m = 0; m < length && int(entries.size()) < records; ++m) {
            const double shape = std::sin(M_PI * (m + 0.5) / length);
            const int tips = std::min(255, dice.poisson(peak * shape));
            if (tips > 0)
                entries.push_back({minute + m, tips, {}, false});
        }
        minute += length;
        if (int(entries.size()) >= records)
            break;
        if (newFormat && dice.chance(0.04)) {
            entries.push_back({minute + dice.between(5, 600), 0,
                               QString::fromLatin1(kMessages[dice.between(0, 3)]), false});
            minute = entries.back().minute + 1;
        }
        if (newFormat && dice.chance(0.015) && int(entries.size()) < records) {
            // Power lost: one record at the reset date, then the clock is right again.
            entries.push_back({minute + 1, 0, {}, true});
            minute += 2;
        }
        // Showers close together, then dry spells of days to weeks.
        const double gap =
            dice.chance(0.35) ? dice.exponential(180.0) : dice.exponential(dryMeanMinutes);
        minute += 30 + qint64(gap);
    }

    LoggerMemory memory;
    const LoggerTime lastMinute =
        now.addSecs(-now.time().second()).addSecs(-60 * qint64(dice.between(60, 36 * 60)));
    const qint64 lastEntry = entries.empty() ? 0 : entries.back().minute;
    const auto timeOf = [&](qint64 m) { return lastMinute.addSecs(60 * (m - lastEntry)); };
    for (const Entry& e : entries) {
        MemoryRecord r;
        r.time = e.powerReset ? PowerResetTime() : timeOf(e.minute);
        r.count = e.count;
        r.message = e.message;
        memory.records.push_back(r);
    }
    // Cleared some hours before the first rain, and within its year, so the old format, which
    // counts years from the start time, dates the first records right.
    LoggerTime start = (entries.empty() ? lastMinute : timeOf(entries.front().minute))
                           .addSecs(-60 * qint64(dice.between(30, 20 * 60)));
    const LoggerTime first = entries.empty() ? lastMinute : timeOf(entries.front().minute);
    if (start.date().year() != first.date().year())
        start = MakeLoggerTime(first.date().year(), 1, 1, 0, 0);
    memory.start = start;
    return memory;
}
