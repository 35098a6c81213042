#pragma once

#include "tools/hyetra-sim/LoggerMemory.h"

#include <QByteArray>
#include <QList>
#include <QString>

// What the logger sends, byte for byte. Every reply is built so that "OK" CR LF (in any case)
// occurs only at its very end, and a download holds "K" CR LF only in its closing "OK".

// Third version character '5' or above: records carry their year and a decimal count.
bool NewRecordFormat(const QString& version);
// Records the memory holds, by the second version character.
int MemoryCapacity(const QString& version);
QString MemorySizeText(const QString& version);
// Why a version code cannot be used (empty when it can).
QString VersionProblem(const QString& version);

// Answer to ":".
QByteArray PromptReply();

struct StatusValues {
    QString name;
    LoggerTime clock;
    int records = 0;
    int days = 0;
    QString version;
    QString battery; // padded or cut to 10 characters
};
enum class StatusCut {
    None,      // the whole reply
    ShortEnd,  // a short reply: name, clock, records, days, then "OK"
    AfterDays, // stops after the days line and never ends
    HalfWay,   // stops inside the clock line and never ends
};
QByteArray StatusReply(const StatusValues& values, StatusCut cut = StatusCut::None);

// Set-clock answer: CR for the serial logger, "OK" CR LF for the USB one.
QByteArray ClockReply(int model);
QByteArray ClearReply();

QByteArray RecordLine(const MemoryRecord& record, bool newFormat);
// Every line of a download before its check sum field, each with its CR LF.
QList<QByteArray> DownloadLines(const LoggerMemory& memory, const QString& version, bool newFormat);
// The CRC-CCITT the logger appends over `covered`: "!" and five digits, then CR LF.
quint16 DownloadCrc(const QByteArray& covered);
QByteArray CrcField(quint16 crc);
QByteArray DownloadEnd();
