#include "link/ModemLines.h"

#include <sys/ioctl.h>

namespace {
ModemLines* g_default = nullptr;
} // namespace

void ModemLines::InstallDefault(ModemLines* lines) {
    g_default = lines;
}

ModemLines& ModemLines::Default() {
    static DeviceModemLines device;
    return g_default ? *g_default : device;
}

std::optional<quint32> DeviceModemLines::modemStatus(int handle) {
    int bits = 0;
    if (handle < 0 || ::ioctl(handle, TIOCMGET, &bits) != 0)
        return std::nullopt;
    quint32 status = 0;
    if (bits & TIOCM_CTS)
        status |= CtsOn;
    if (bits & TIOCM_DSR)
        status |= DsrOn;
    if (bits & TIOCM_RI)
        status |= RingOn;
    if (bits & TIOCM_CD)
        status |= RlsdOn;
    return status;
}
