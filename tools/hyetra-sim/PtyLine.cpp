#include "tools/hyetra-sim/PtyLine.h"

#include "ui/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {
QString SystemText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

void MakeRaw(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return;
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::tcsetattr(fd, TCSANOW, &tio);
}
} // namespace

PtyLine::~PtyLine() {
    detach();
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
}

QString PtyLine::PortsFolder() {
    return UserConfigFolder() + QStringLiteral("/Ombrex2/ports/");
}

bool PtyLine::open(QString& error) {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(SystemText());
        return false;
    }
    const char* name = ::ptsname(m_master);
    if (!name) {
        error = QStringLiteral("cannot name the pseudo-terminal: %1").arg(SystemText());
        return false;
    }
    m_device = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (m_slave < 0) {
        error = QStringLiteral("cannot open %1: %2").arg(m_device, SystemText());
        return false;
    }
    // No echo and no line editing, whoever opens the device next.
    MakeRaw(m_slave);
    MakeRaw(m_master);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    return true;
}

bool PtyLine::attach(int port, bool replace, QString& error) {
    const QString folder = PortsFolder();
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("cannot create the ports folder %1").arg(folder);
        return false;
    }
    const QString link = folder + QStringLiteral("COM%1").arg(port);
    const QFileInfo entry(link);
    if (entry.isSymLink() || entry.exists()) {
        const bool leadsNowhere = entry.isSymLink() && !entry.exists();
        if (!leadsNowhere && !replace) {
            error = QStringLiteral("COM%1 is already mapped (%2 -> %3); choose another --port or "
                                   "give --replace")
                        .arg(port)
                        .arg(link, entry.isSymLink() ? entry.symLinkTarget() : link);
            return false;
        }
        if (!QFile::remove(link)) {
            error = QStringLiteral("cannot remove the old entry %1").arg(link);
            return false;
        }
    }
    if (::symlink(QFile::encodeName(m_device).constData(), QFile::encodeName(link).constData()) !=
        0) {
        error = QStringLiteral("cannot link %1 to %2: %3").arg(link, m_device, SystemText());
        return false;
    }
    m_link = link;
    return true;
}

void PtyLine::detach() {
    if (m_link.isEmpty())
        return;
    const QFileInfo entry(m_link);
    if (entry.isSymLink() && entry.symLinkTarget() == m_device)
        QFile::remove(m_link);
    m_link.clear();
}

void PtyLine::vanish() {
    detach();
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}

int PtyLine::unreadBytes() const {
    int count = 0;
    if (m_slave < 0 || ::ioctl(m_slave, TIOCINQ, &count) != 0)
        return 0;
    return count;
}

int PtyLine::lineSpeed() const {
    termios tio{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &tio) != 0)
        return 0;
    switch (::cfgetospeed(&tio)) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    case B230400:
        return 230400;
    default:
        return 0;
    }
}
