#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <functional>

// Runs the event loop until pred holds or the time is up; returns pred's last value.
inline bool WaitUntil(const std::function<bool()>& pred, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!pred()) {
        if (deadline.hasExpired())
            return pred();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

inline void SpinFor(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// The fresh folder this test runs in (also its HOME; XDG_CONFIG_HOME is <it>/config).
QString TestFolder();

#include <QStringList>
#include <ostream>

// Readable gtest output for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '{' << l.join(QStringLiteral(", ")).toStdString() << '}';
}
