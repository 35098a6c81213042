#include "link/SerialDevice.h"

#include "link/LinkErrors.h"
#include "link/PortAccess.h"

#include <QFileInfo>
#include <QLockFile>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

speed_t SpeedCode(qint32 baud) {
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    default:
        return 0;
    }
}

QString SystemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

SerialDevice::SerialDevice() = default;
SerialDevice::~SerialDevice() {
    close();
}

QString SerialDevice::Describe(const QString& portName, const QString& path) {
    return path.isEmpty() ? portName : QStringLiteral("%1 (%2)").arg(portName, path);
}

QString SerialDevice::LockFilePath(const QString& path) {
    // The same folders and name as Qt's serial port, so programs built on it and Ombrex see
    // each other's locks.
    static const QStringList folders = {QStringLiteral("/var/lock"),
                                        QStringLiteral("/etc/locks"),
                                        QStringLiteral("/var/spool/locks"),
                                        QStringLiteral("/var/spool/uucp"),
                                        QStringLiteral("/tmp"),
                                        QStringLiteral("/var/tmp"),
                                        QStringLiteral("/var/lock/lockdev"),
                                        QStringLiteral("/run/lock")};
    QString name = path;
    if (name.startsWith(QLatin1String("/dev/")))
        name.remove(0, 5);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    name.prepend(QLatin1String("/LCK.."));
    for (const QString& folder : folders) {
        const QFileInfo info(folder);
        if (info.isReadable() && (QFileInfo::exists(folder + name) || info.isWritable()))
            return folder + name;
    }
    return {};
}

void SerialDevice::open(const QString& portName, const QString& path, qint32 baud) {
    close();
    m_portName = portName;
    m_path = path;
    if (path.isEmpty())
        throw OmbrexError(LinkError::DeviceMissing,
                          QStringLiteral("%1: no device is assigned to this port").arg(portName));
    if (!QFileInfo::exists(path))
        throw OmbrexError(LinkError::DeviceMissing,
                          QStringLiteral("%1: the device does not exist").arg(describe()));

    const QString lockPath = LockFilePath(path);
    if (!lockPath.isEmpty()) {
        auto lock = std::make_unique<QLockFile>(lockPath);
        lock->setStaleLockTime(0); // a lock is stale only when its process is gone
        if (!lock->tryLock(0))
            throw OmbrexError(
                LinkError::DeviceInUse,
                QStringLiteral("%1: the port is in use by another program").arg(describe()));
        m_lock = std::move(lock);
    }

    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        m_lock.reset();
        if (error == EBUSY)
            throw OmbrexError(
                LinkError::DeviceInUse,
                QStringLiteral("%1: the port is in use by another program").arg(describe()));
        if (error == EACCES || error == EPERM)
            throw OmbrexError(
                LinkError::PermissionDenied,
                QStringLiteral("%1: permission denied.\n%2")
                    .arg(describe(), PortAccess::GroupFix(PortAccess::DeviceGroup(path))));
        if (error == ENOENT || error == ENXIO || error == ENODEV)
            throw OmbrexError(LinkError::DeviceMissing,
                              QStringLiteral("%1: the device does not exist (%2)")
                                  .arg(describe(), SystemText(error)));
        throw OmbrexError(LinkError::DeviceInUse,
                          QStringLiteral("%1: the port cannot be opened (%2)")
                              .arg(describe(), SystemText(error)));
    }
    m_fd = fd;
    try {
        if (::ioctl(m_fd, TIOCEXCL) != 0 && errno != ENOTTY)
            throw OmbrexError(LinkError::DeviceInUse,
                              QStringLiteral("%1: the port cannot be held exclusively (%2)")
                                  .arg(describe(), SystemText(errno)));
        applySettings(baud);
    } catch (...) {
        close();
        throw;
    }
    // Devices without modem lines (pseudo-terminals) refuse this; they need no lines.
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)::ioctl(m_fd, TIOCMBIS, &lines);
}

void SerialDevice::applySettings(qint32 baud) {
    const speed_t speed = SpeedCode(baud);
    if (speed == 0)
        throw OmbrexError(
            LinkError::SettingsRejected,
            QStringLiteral("%1: the line speed %2 is not supported").arg(describe()).arg(baud));
    termios tio{};
    if (::tcgetattr(m_fd, &tio) != 0)
        throw OmbrexError(LinkError::SettingsRejected,
                          QStringLiteral("%1: the device rejects the serial settings (%2)")
                              .arg(describe(), SystemText(errno)));
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    termios check{};
    if (::tcsetattr(m_fd, TCSANOW, &tio) != 0 || ::tcgetattr(m_fd, &check) != 0 ||
        ::cfgetospeed(&check) != speed)
        throw OmbrexError(LinkError::SettingsRejected,
                          QStringLiteral("%1: the device rejects %2 baud, 8 data bits, no parity, "
                                         "1 stop bit")
                              .arg(describe())
                              .arg(baud));
}

void SerialDevice::setBaud(qint32 baud) {
    if (m_fd >= 0)
        applySettings(baud);
}

void SerialDevice::flushInput() {
    if (m_fd >= 0)
        ::tcflush(m_fd, TCIFLUSH);
}

void SerialDevice::close() {
    if (m_fd >= 0) {
        ::ioctl(m_fd, TIOCNXCL);
        ::close(m_fd);
        m_fd = -1;
    }
    m_lock.reset();
}
