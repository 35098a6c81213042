#pragma once

// Asks the user for a port when one must be opened without a number (the Select Port dialog).
// The application installs one; without it, such an open fails with no port selected.
class PortChooser {
public:
    virtual ~PortChooser() = default;
    // The chosen port number, or 0 when the user cancelled.
    virtual int choosePort() = 0;

    static void Install(PortChooser* chooser); // not owned; nullptr removes it
    static PortChooser* Current();
};
