#pragma once

// True when port n (1..50) exists and can be opened right now; a port another program holds
// is not available. Port 0 never is.
bool PortAvailable(int n);
