#pragma once

// Shows the hourglass for its lifetime and restores the previous cursor on every way out.
// Without a GUI application (console tools, tests without a window) it does nothing.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool m_active = false;
};
