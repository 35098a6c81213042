#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP (the session ending, `kill`, Ctrl+C or a closed terminal) close the
// program's windows as the user would, so the settings are saved and the logger is let go, and
// then end the event loop with exit code 0. One instance, made before the first window.
class TerminationSignals final : public QObject {
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // A signal has been handled: the windows are closed and the loop told to end. main() checks
    // it after the start-up screen, whose wait runs before the event loop does.
    bool Received() const { return m_received; }

private:
    void onSignal();

    int m_fds[2] = {-1, -1};
    QSocketNotifier* m_notifier = nullptr;
    bool m_received = false;
};
