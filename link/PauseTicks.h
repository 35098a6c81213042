#pragma once

#include <QtGlobal>

// The link's clock: milliseconds of a monotonic clock divided by 55, rounded down.
qint64 TickCount();
constexpr int TickMs = 55;
constexpr int MaxPauseTicks = 39045157;

// Waits n ticks while the event loop keeps running (more than n and at most n + 1 ticks).
// A request to quit the application ends the pause and is posted again.
void PauseTicks(int n);
