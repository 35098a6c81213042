#include "tests/views/Fixtures.h"

#include <QSettings>
#include <random>

namespace Fixtures {

void LoadEvents(const std::vector<Event>& events) {
    DataUnit::ClearTables();
    for (const Event& e : events)
        DataUnit::AppendEvent({e.when, e.count, QString::fromLatin1(e.message)});
    if (!events.empty()) {
        DataUnit::SetStartTime(events.front().when);
        DataUnit::BuildDailyTable(events.front().when);
    }
}

void LoadFullMemory() {
    DataUnit::ClearTables();
    DataUnit::ReserveEvents(FullMemoryRecords);
    std::mt19937 random(20240611);
    TDateTime t = EncodeDateTime(2011, 3, 1, 8, 0);
    DataUnit::AppendEvent({t, 0, {}}); // the start record
    int32_t written = 1;
    bool reset = false;
    while (written < FullMemoryRecords - 1) {
        // A dry spell of 0 to 6 days, then a storm of a few hours with a tip every few minutes.
        t += std::uniform_int_distribution<int>(0, 6)(random) +
             std::uniform_real_distribution<double>(0.1, 0.9)(random);
        const int tips = std::uniform_int_distribution<int>(5, 300)(random);
        for (int i = 0; i < tips && written < FullMemoryRecords - 1; ++i, ++written) {
            t += std::uniform_int_distribution<int>(1, 6)(random) / 1440.0;
            if (written % 40000 == 20000) {
                DataUnit::AppendEvent({t, 0, QStringLiteral("Low Battery")});
                continue;
            }
            if (!reset && written > FullMemoryRecords / 2) {
                DataUnit::AppendEvent({DataUnit::PowerResetDate, 0, {}});
                reset = true;
                continue;
            }
            // Mostly one tip a record; in heavy rain two tips within the minute.
            DataUnit::AppendEvent(
                {t, std::uniform_int_distribution<int>(0, 9)(random) == 0 ? 2 : 1, {}});
        }
    }
    DataUnit::AppendEvent({t + 0.5, 0, {}}); // the end record
    const TDateTime start = EncodeDateTime(2011, 3, 1, 8, 0);
    DataUnit::SetStartTime(start);
    DataUnit::BuildDailyTable(start);
}

void SeedQuietStart() {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Pluvatec"),
                       QStringLiteral("Ombrex2"));
    settings.setValue(QStringLiteral("Settings/Logger"), QStringLiteral("1"));
    settings.setValue(QStringLiteral("General/ShowHelp"), QStringLiteral("0"));
}

} // namespace Fixtures
