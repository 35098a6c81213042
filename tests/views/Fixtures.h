#pragma once

#include "data/DataUnit.h"

#include <QString>
#include <cstdint>
#include <vector>

// Rainfall tables for the view tests and benchmarks, put straight into the data core.
namespace Fixtures {

struct Event {
    TDateTime when;
    int32_t count;
    const char* message = "";
};

// Replaces the tables with these events (in this order), StartTime := the first, daily table
// built from it.
void LoadEvents(const std::vector<Event>& events);

// A full 2 MB logger memory: 232,106 event records over several years of realistic rain (storms,
// dry spells, a few message lines and one power reset), seeded, so every run sees the same data.
void LoadFullMemory();
constexpr int32_t FullMemoryRecords = 232106;

// Writes a main window's settings so it starts without its first-run question and help.
void SeedQuietStart();

} // namespace Fixtures
