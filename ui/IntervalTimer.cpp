#include "ui/IntervalTimer.h"

IntervalTimer::IntervalTimer(int intervalMs, QObject* parent)
    : QObject(parent), m_interval(intervalMs) {
    m_timer.setSingleShot(false);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
        if (onTimer)
            onTimer();
    });
}

void IntervalTimer::setInterval(int ms) {
    if (ms == m_interval)
        return;
    m_interval = ms;
    apply();
}

void IntervalTimer::setEnabled(bool on) {
    if (on == m_enabled)
        return;
    m_enabled = on;
    apply();
}

void IntervalTimer::restart() {
    m_enabled = true;
    apply();
}

void IntervalTimer::apply() {
    m_timer.stop();
    if (m_enabled && m_interval > 0)
        m_timer.start(m_interval);
}
