#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

// A timer with the program's timer rules: enabling a running timer does not restart it, setting
// the interval it already has changes nothing, setting another interval while enabled restarts
// the countdown, and an interval of 0 never fires. Used for the status line, the discovery ping,
// the download watchdog and the dialogs' animations.
class IntervalTimer : public QObject {
    Q_OBJECT
public:
    explicit IntervalTimer(int intervalMs = 1000, QObject* parent = nullptr);

    int interval() const { return m_interval; }
    void setInterval(int ms);
    bool enabled() const { return m_enabled; }
    void setEnabled(bool on);
    // Stops and starts again with the full interval (a watchdog fed by each line end).
    void restart();

    std::function<void()> onTimer;

private:
    void apply();

    QTimer m_timer;
    int m_interval;
    bool m_enabled = false;
};
