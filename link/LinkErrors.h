#pragma once

#include "ui/OmbrexError.h"

#include <QString>

// Error codes of the serial layer (always negative).
namespace LinkError {
enum Code {
    PortNotOpen = -101,
    NoPortSelected = -102,
    DeviceMissing = -103,
    DeviceInUse = -104,
    SettingsRejected = -105,
    TransmitQueueFull = -106,
    MatcherProperties = -107,
    NoByteToRead = -108,
    InvalidPort = -109,
    DeviceLost = -110,
    PermissionDenied = -111,
};
} // namespace LinkError
