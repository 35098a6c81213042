#include "link/PortAvailable.h"

#include "link/PortMap.h"
#include "link/SerialDevice.h"

#include <exception>

bool PortAvailable(int n) {
    if (n < PortMap::FirstPort || n > PortMap::LastPort)
        return false;
    SerialDevice device;
    try {
        device.open(PortMap::PortName(n), PortMap::DevicePath(n), 9600);
    } catch (const std::exception&) {
        return false;
    }
    device.close();
    return true;
}
