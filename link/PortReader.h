#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <mutex>
#include <thread>

// The background reader and writer of one open port. It moves received bytes into the receive
// ring as they come and drains the transmit queue; it never runs program code: it only calls
// notify (from its own thread) when the ring got new bytes or the device was lost.
class PortReader {
public:
    static constexpr qsizetype RingSize = 8192;
    // The ring grows past RingSize while the GUI thread is busy, so nothing is lost; only at
    // this limit does the reader stop taking bytes from the device (the line then holds them).
    static constexpr qsizetype RingLimit = 4 * 1024 * 1024;

    PortReader(int fd, std::function<void()> notify);
    ~PortReader(); // stops and joins
    PortReader(const PortReader&) = delete;
    PortReader& operator=(const PortReader&) = delete;

    // Takes every received byte from the ring (GUI thread).
    QByteArray take();
    // Drops every received byte in the ring.
    void discardInput();
    // Queues bytes for sending; false (nothing queued) when fewer than bytes.size() of
    // capacity are free.
    bool queue(const QByteArray& bytes, qsizetype capacity);
    qsizetype pendingOutput() const;

    bool lost() const;
    QString lostReason() const;

private:
    void run();
    void wake();
    void markLost(const QString& reason);

    int m_fd;
    int m_wake[2] = {-1, -1};
    std::function<void()> m_notify;

    mutable std::mutex m_mutex;
    QByteArray m_rx;
    QByteArray m_tx;
    bool m_notifyPending = false;
    bool m_stop = false;
    bool m_lost = false;
    QString m_lostReason;

    std::thread m_thread;
};
