#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

// The logger's clock has no time zone: its times are kept as UTC-spec date-times so that adding
// seconds never meets a daylight-saving jump.
using LoggerTime = QDateTime;

// The PC's local wall clock moved by offsetMs (logger minus PC), as the logger would read it,
// plus what the clock gained or lost at its rate since it was last set.
LoggerTime LoggerNow(qint64 offsetMs);
// A clock that runs fast (positive) or slow by this many parts per million; counting restarts.
void SetClockRate(double ppm);
// The clock was set: what it gained or lost so far is gone.
void RestartClockDrift();
// What the clock gained (positive) or lost at its rate since it was last set.
qint64 ClockDriftMs();
// The PC's local wall clock as a zone-less time.
LoggerTime PcWallClock();
LoggerTime MakeLoggerTime(int year, int month, int day, int hour, int minute, int second = 0);

// A record stamped exactly 01/01/02 00:00: the logger lost power and restarted its clock.
LoggerTime PowerResetTime();

struct MemoryRecord {
    LoggerTime time; // minute resolution
    int count = 0;   // tips in that minute, 0..255
    QString message; // not empty: a message line
    bool isMessage() const { return !message.isEmpty(); }
};

struct LoggerMemory {
    LoggerTime start; // when the memory was last cleared
    std::vector<MemoryRecord> records;
};

// "MM/dd/yy HH:mm" and "MM/dd/yy HH:mm:ss".
QString DateText(const LoggerTime& t);
QString ClockText(const LoggerTime& t);
// A two-digit year read in the window from 50 years before to 49 years after this year.
int FullYear(int twoDigitYear);
// Why a message text cannot travel in a download (empty when it can).
QString MessageProblem(const QString& text);

// The memory file: one entry a line, the program's data-file layout.
//   S,MM/dd/yy,HH:mm           start time (the last clearing)
//   MM/dd/yy,HH:mm,C.CC        a record of C.CC x 100 tips
//   M,MM/dd/yy,HH:mm,text      a message line
// Blank lines and lines starting with '#' are skipped.
QStringList MemoryLines(const LoggerMemory& memory);
bool ParseMemoryLines(const QStringList& lines, LoggerMemory& memory, QString& error);
bool ReadMemoryFile(const QString& path, LoggerMemory& memory, QString& error);
bool WriteMemoryFile(const QString& path, const LoggerMemory& memory, QString& error);
