#pragma once

#include <QByteArray>
#include <QList>
#include <QTimer>

class PacketMatcher;
class SerialPort;

// The matchers of one port: their shared buffer, the capture (the matcher that is collecting)
// and the one time-out timer. Runs on the GUI thread.
class PortMatchers {
public:
    explicit PortMatchers(SerialPort& port);
    ~PortMatchers();

    void add(PacketMatcher* matcher);
    void remove(PacketMatcher* matcher);

    void arm(PacketMatcher& matcher);
    void disarm(PacketMatcher& matcher);

    void portOpened();
    void portClosed();

    // Runs the armed matchers over a new batch (their handlers run inside).
    void feed(const QByteArray& batch);
    // The time-out timer expired (or a deferred check): time out the capture if it is due.
    void checkTimeout();
    bool timeoutDue() const;

    // Bytes the matchers still hold.
    qsizetype bufferSize() const { return m_buffer.size() - m_head; }

private:
    void armNow(PacketMatcher& m, qsizetype from);
    void takeCapture(PacketMatcher& m);
    void releaseCapture(qsizetype consumed);
    void applyPendingArms();
    void settle();
    void run();
    void trim();
    // Returns true when the packet completed.
    bool stepWaitStart(PacketMatcher& m);
    bool stepCollecting(PacketMatcher& m, qsizetype& end, bool& byEndPattern);
    void skipToEndCandidate(PacketMatcher& m);
    void deliver(PacketMatcher& m, qsizetype end, bool byEndPattern);
    void startTimer(int ticks);
    void stopTimer();
    bool callMatcherHandler(const std::function<void()>& handler);

    SerialPort& m_port;
    QList<PacketMatcher*> m_all;
    QByteArray m_buffer;
    qsizetype m_head = 0; // bytes before it are consumed
    PacketMatcher* m_capture = nullptr;
    quint64 m_nextArmOrder = 1;
    bool m_running = false;
    QTimer m_timer;
    qint64 m_limitTick = 0;
    bool m_timerRunning = false;
};
