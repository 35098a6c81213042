#include "link/PortChooser.h"

namespace {
PortChooser* g_chooser = nullptr;
} // namespace

void PortChooser::Install(PortChooser* chooser) {
    g_chooser = chooser;
}
PortChooser* PortChooser::Current() {
    return g_chooser;
}
