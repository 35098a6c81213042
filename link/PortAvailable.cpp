#include "link/PortAvailable.h"

#include "link/PortAccess.h"

bool PortAvailable(int n) {
    return PortAccess::ProbePort(n).state == PortAccess::State::Free;
}
