#pragma once

#include "data/Date_unit.h"
#include "link/DeviceStatus.h"

#include <QByteArray>

// What the handling of one status reply got to. Parsing stops at the first missing delimiter and
// keeps the values already taken.
struct StatusReplyResult {
    bool complete = false;       // name, clock, record count and day count were all there
    bool versionReached = false; // the version line was there: the port is worth remembering
};

// Takes the device status values out of a status reply (everything from the first byte after the
// request through its final "OK" CR LF). now is the PC's local time, for the clock offset.
StatusReplyResult ParseStatusReply(const QByteArray& reply, DeviceStatus& status, TDateTime now);

// The clock text sent after "k": the PC's time as "yymmddhhnnss".
QByteArray ClockText(TDateTime now);

// The download command for a logger version: "o" for a third character of '4' or below, "y"
// above. A version too short to have a third character is read as the old format's "o".
char DownloadCommand(const QString& loggerVersion);
