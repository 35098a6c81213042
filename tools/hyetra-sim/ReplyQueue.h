#pragma once

#include <QByteArray>
#include <deque>
#include <functional>

// What the logger still has to send, written to the line no faster than its baud rate allows:
// bytes, pauses and steps to take once everything before them has gone out.
class ReplyQueue {
public:
    // Bytes per second; 0 sends as fast as the line takes them.
    void setRate(int bytesPerSecond) { m_rate = bytesPerSecond; }
    void pushBytes(const QByteArray& bytes);
    void pushPause(int ms);
    void pushStep(std::function<void()> step);
    bool idle() const { return m_items.empty(); }
    void clear() { m_items.clear(); }

    // Writes what is due to fd. Returns the ms until it wants to run again (-1: nothing to do,
    // or waiting for the line, when wantWritable is set).
    int service(int fd, qint64 nowMs, bool& wantWritable);

private:
    struct Item {
        QByteArray bytes;
        qsizetype sent = 0;
        int pauseMs = 0;
        qint64 pauseEnd = -1;
        std::function<void()> step;
    };
    std::deque<Item> m_items;
    int m_rate = 0;
    double m_allowance = 0;
    qint64 m_lastMs = -1;
};
