#pragma once

#include "tools/hyetra-sim/LoggerMemory.h"

#include <QString>

// What the logger keeps: its name, its clock (as an offset from the PC clock) and its memory.
struct LoggerState {
    QString name;
    qint64 clockOffsetMs = 0; // logger clock minus PC clock
    LoggerMemory memory;
    // What happened so far, for whoever reads the state file.
    int statusReplies = 0;
    int clockSets = 0;
    int renames = 0;
    int clears = 0;
    int downloads = 0;
};

// The state file, JSON:
// { "name", "clockOffsetSeconds" (logger minus PC), "loggerClock" ("MM/dd/yy HH:mm:ss" when
//   written), "startTime" ("MM/dd/yy HH:mm"), "recordCount", "records" (memory-file lines
//   without the start line), "model", "version", "port", "device", "statusReplies",
//   "clockSets", "renames", "clears", "downloads" }
struct StateFileInfo {
    int model = 0;
    QString version;
    int port = 0;
    QString device;
};
bool WriteStateFile(const QString& path, const LoggerState& state, const StateFileInfo& info,
                    QString& error);
// Name, clock offset and memory from a state file written before.
bool ReadStateFile(const QString& path, LoggerState& state, QString& error);
