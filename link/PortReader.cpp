#include "link/PortReader.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

PortReader::PortReader(int fd, std::function<void()> notify)
    : m_fd(fd), m_notify(std::move(notify)) {
    if (::pipe2(m_wake, O_NONBLOCK | O_CLOEXEC) != 0)
        m_wake[0] = m_wake[1] = -1;
    m_rx.reserve(RingSize);
    m_thread = std::thread([this] { run(); });
}

PortReader::~PortReader() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    wake();
    if (m_thread.joinable())
        m_thread.join();
    for (int end : m_wake)
        if (end >= 0)
            ::close(end);
}

void PortReader::wake() {
    if (m_wake[1] >= 0) {
        const char byte = 1;
        (void)!::write(m_wake[1], &byte, 1);
    }
}

QByteArray PortReader::take() {
    QByteArray batch;
    bool wasFull;
    {
        std::lock_guard lock(m_mutex);
        wasFull = m_rx.size() >= RingLimit;
        batch.swap(m_rx);
        m_rx.reserve(RingSize);
        m_notifyPending = false;
    }
    if (wasFull)
        wake(); // it stopped reading while the ring was full
    return batch;
}

void PortReader::discardInput() {
    bool wasFull;
    {
        std::lock_guard lock(m_mutex);
        wasFull = m_rx.size() >= RingLimit;
        m_rx.clear();
    }
    if (wasFull)
        wake();
}

bool PortReader::queue(const QByteArray& bytes, qsizetype capacity) {
    {
        std::lock_guard lock(m_mutex);
        if (capacity - m_tx.size() < bytes.size())
            return false;
        if (m_lost)
            return true; // the loss was reported once; what is sent now goes nowhere
        m_tx.append(bytes.constData(), bytes.size()); // a copy of its own, never shared across threads
    }
    wake();
    return true;
}

qsizetype PortReader::pendingOutput() const {
    std::lock_guard lock(m_mutex);
    return m_tx.size();
}

bool PortReader::lost() const {
    std::lock_guard lock(m_mutex);
    return m_lost;
}

QString PortReader::lostReason() const {
    std::lock_guard lock(m_mutex);
    return m_lostReason;
}

void PortReader::markLost(const QString& reason) {
    bool notify;
    {
        std::lock_guard lock(m_mutex);
        m_lost = true;
        m_lostReason = reason;
        m_tx.clear();
        notify = !m_notifyPending;
        m_notifyPending = true;
    }
    if (notify)
        m_notify();
}

void PortReader::run() {
    char chunk[4096];
    for (;;) {
        short events = 0;
        {
            std::lock_guard lock(m_mutex);
            if (m_stop)
                return;
            if (m_rx.size() < RingLimit)
                events |= POLLIN;
            if (!m_tx.isEmpty())
                events |= POLLOUT;
        }
        pollfd fds[2] = {{m_fd, events, 0}, {m_wake[0], POLLIN, 0}};
        const int ready = ::poll(fds, m_wake[0] >= 0 ? 2 : 1, -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            markLost(QString::fromLocal8Bit(std::strerror(errno)));
            return;
        }
        if (fds[1].revents & POLLIN)
            while (::read(m_wake[0], chunk, sizeof chunk) > 0) {
            }
        const short got = fds[0].revents;
        if (got & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) {
            qsizetype room;
            {
                std::lock_guard lock(m_mutex);
                room = RingLimit - m_rx.size();
            }
            if (room > 0) {
                const ssize_t n = ::read(m_fd, chunk, std::min<qsizetype>(room, sizeof chunk));
                if (n > 0) {
                    bool notify;
                    {
                        std::lock_guard lock(m_mutex);
                        m_rx.append(chunk, n);
                        notify = !m_notifyPending;
                        m_notifyPending = true;
                    }
                    if (notify)
                        m_notify();
                    continue;
                }
                if (n == 0) {
                    markLost(QStringLiteral("the device was disconnected"));
                    return;
                }
                if ((errno != EAGAIN && errno != EINTR) || (got & (POLLHUP | POLLERR | POLLNVAL))) {
                    markLost(errno == EAGAIN ? QStringLiteral("the device was disconnected")
                                             : QString::fromLocal8Bit(std::strerror(errno)));
                    return;
                }
            } else if (got & (POLLHUP | POLLERR | POLLNVAL)) {
                markLost(QStringLiteral("the device was disconnected"));
                return;
            }
        }
        if (got & POLLOUT) {
            std::unique_lock lock(m_mutex);
            if (!m_tx.isEmpty()) {
                const ssize_t n = ::write(m_fd, m_tx.constData(), size_t(m_tx.size()));
                if (n > 0) {
                    m_tx.remove(0, n);
                } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                    const int error = errno;
                    lock.unlock();
                    markLost(QString::fromLocal8Bit(std::strerror(error)));
                    return;
                }
            }
        }
    }
}
