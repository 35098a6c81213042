#pragma once

#include <QString>
#include <cstdint>

// What the last status reply said about the logger. The values survive a disconnection and are
// overwritten by the next reply; all are empty or 0 until the first one.
struct DeviceStatus {
    QString DeviceName;
    QString LoggerVersion;  // three characters as received
    double ClockOffset = 0; // days, PC time minus logger time
    int32_t RecordCount = 0;
    QString BatteryText;
    bool Connected = false;
};
