#pragma once

#include "tools/hyetra-sim/LoggerMemory.h"

// A memory of `records` entries of plausible rain: storms of tips a few minutes apart, dry spells
// of hours to weeks, now and then a message line and a power reset (new record format only,
// since the old format cannot carry them), ending shortly before `now`. The same seed gives the
// same rain, shifted to end near `now`.
LoggerMemory GenerateMemory(int records, quint64 seed, const LoggerTime& now, bool newFormat);
