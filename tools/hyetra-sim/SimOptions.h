#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

enum class Fault {
    Silent,         // never answers anything
    NoStatus,       // answers ":" and everything else, never "Q"
    StatusShort,    // status reply ends after the " Days" line (with "OK")
    StatusCut,      // status reply stops after the " Days" line and never ends
    StatusHalf,     // status reply stops inside the clock line and never ends
    SlowLines,      // a pause after every line
    DownloadPause,  // a long pause half-way through a download
    WrongCrc,       // the check sum field does not match
    NoCrc,          // the download ends with "OK" but without a check sum field
    CutOff,         // the download stops before "!" and never ends
    Vanish,         // the device disappears half-way through a download
    Garbage,        // line noise between download lines
    ClearSilent,    // clears, but never answers "c"
    ClearNoLineEnd, // answers "c" with "OK" and no CR LF
    ClockSilent,    // never answers "k"
};

struct SimOptions {
    int port = 1;
    int model = 2;
    QString version;
    QString name = QStringLiteral("Hyetra Sim");
    bool nameGiven = false;
    QString battery = QStringLiteral("3.60 Volts");
    QString memoryFile;
    int records = 1500;
    bool recordsGiven = false;
    quint64 seed = 1;
    QString writeMemoryFile;
    QString stateFile;
    QString logFile;
    bool fast = false;
    int clearDelayMs = 10000;
    qint64 clockOffsetMs = 0;
    bool clockOffsetGiven = false;
    double clockRatePpm = 0; // the clock gains (positive) or loses this much per million
    int growRecords = 0;     // records logged after each download
    bool replace = false;
    QSet<Fault> faults;
    int lineDelayMs = 100;
    int pauseMs = 10000;
    bool strictWake = false; // a command counts only right after a ":" wake-up
    int promptDelayMs = 0;   // time from ":" to the prompt
    bool busyDrops = false;  // input while busy is dropped instead of held in the UART buffer

    bool has(Fault f) const { return faults.contains(f); }
};

// Reads the command line. Returns 0 to go on, -1 when the help was printed, 2 after a usage
// error (its message printed).
int ParseOptions(const QStringList& arguments, SimOptions& options);
QString FaultName(Fault f);
