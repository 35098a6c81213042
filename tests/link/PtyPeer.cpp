#include "tests/link/PtyPeer.h"

#include "link/PortMap.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

PtyPeer::PtyPeer(int port) {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        throw std::runtime_error("no pseudo-terminal");
    m_path = QString::fromLocal8Bit(::ptsname(m_master));
    m_slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    ::tcgetattr(m_slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(m_slave, TCSANOW, &tio);
    ::tcgetattr(m_master, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(m_master, TCSANOW, &tio);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    if (port > 0)
        linkAs(port);
}

PtyPeer::~PtyPeer() {
    if (m_writer.joinable())
        m_writer.join();
    unlink();
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
}

void PtyPeer::linkAs(int port) {
    unlink();
    QDir().mkpath(PortMap::PortsFolder());
    m_link = PortMap::PortsFolder() + PortMap::PortName(port);
    QFile::remove(m_link);
    if (!QFile::link(m_path, m_link))
        throw std::runtime_error("cannot link the port");
}

void PtyPeer::unlink() {
    if (!m_link.isEmpty())
        QFile::remove(m_link);
    m_link.clear();
}

void PtyPeer::write(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size() && m_master >= 0) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        pollfd fd{m_master, POLLOUT, 0};
        ::poll(&fd, 1, 100);
    }
}

void PtyPeer::writeAsync(QByteArray bytes) {
    waitWritten();
    m_writer = std::thread([this, bytes = std::move(bytes)] { write(bytes); });
}

void PtyPeer::waitWritten() {
    if (m_writer.joinable())
        m_writer.join();
}

QByteArray PtyPeer::read(qsizetype count, int timeoutMs) {
    QByteArray got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char chunk[4096];
    while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
        const ssize_t n = ::read(m_master, chunk, sizeof chunk);
        if (n > 0) {
            got.append(chunk, n);
            continue;
        }
        pollfd fd{m_master, POLLIN, 0};
        ::poll(&fd, 1, 10);
    }
    return got;
}

QByteArray PtyPeer::readAvailable(int timeoutMs) {
    return read(std::numeric_limits<qsizetype>::max(), timeoutMs);
}

void PtyPeer::vanish() {
    waitWritten();
    unlink();
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

int PtyPeer::outputSpeed() const {
    termios tio{};
    ::tcgetattr(m_slave, &tio);
    switch (::cfgetospeed(&tio)) {
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B115200:
        return 115200;
    default:
        return -1;
    }
}
