#include "tests/sim/SimHarness.h"

#include "data/crc_ccitt.h"
#include "tests/support/TestUtil.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

QString SimProcess::Program() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/hyetra-sim");
}

QString SimProcess::LinkPath(int port) {
    return QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) +
           QStringLiteral("/Pluvatec/Ombrex2/ports/COM%1").arg(port);
}

SimProcess::SimProcess(const QStringList& arguments, Form form) {
    QStringList all = arguments;
    if (form == Strict) {
        all << QStringLiteral("--strict-wake");
        if (!all.contains(QStringLiteral("--prompt-delay")))
            all << QStringLiteral("--prompt-delay") << QStringLiteral("100");
    }
    m_process.setWorkingDirectory(TestFolder());
    m_process.start(Program(), all);
    if (!m_process.waitForStarted(5000))
        return;
    QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        m_rest += m_process.readAllStandardOutput();
        const qsizetype end = m_rest.indexOf('\n');
        if (end >= 0) {
            m_startLine = QString::fromLocal8Bit(m_rest.left(end));
            m_rest.remove(0, end + 1);
            return;
        }
        if (m_process.state() != QProcess::Running)
            return;
        m_process.waitForReadyRead(100);
    }
}

SimProcess::~SimProcess() {
    if (m_process.state() != QProcess::NotRunning) {
        ::kill(pid_t(m_process.processId()), SIGTERM);
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(1000);
        }
    }
}

int SimProcess::stop(int signal) {
    if (m_process.state() == QProcess::NotRunning)
        return m_process.exitCode();
    ::kill(pid_t(m_process.processId()), signal);
    if (!waitEnded(5000))
        return -1;
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

bool SimProcess::waitEnded(int timeoutMs) {
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
}

QByteArray SimProcess::output() {
    m_rest += m_process.readAllStandardOutput();
    return m_rest;
}

int SimProcess::Run(const QStringList& arguments, QByteArray& out, QByteArray& err) {
    QProcess p;
    p.start(Program(), arguments);
    if (!p.waitForFinished(10000))
        return -1;
    out = p.readAllStandardOutput();
    err = p.readAllStandardError();
    return p.exitCode();
}

SimLine::SimLine(int port, int baud) {
    m_fd = ::open(QFile::encodeName(SimProcess::LinkPath(port)).constData(),
                  O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return;
    termios tio{};
    ::tcgetattr(m_fd, &tio);
    ::cfmakeraw(&tio);
    const speed_t speed = baud == 9600 ? B9600 : B115200;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    ::tcsetattr(m_fd, TCSANOW, &tio);
}

SimLine::~SimLine() {
    close();
}

void SimLine::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void SimLine::send(const QByteArray& bytes) {
    qsizetype done = 0;
    while (m_fd >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        pollfd p{m_fd, POLLOUT, 0};
        ::poll(&p, 1, 50);
    }
}

QByteArray SimLine::readUntil(const QByteArray& end, int timeoutMs) {
    QByteArray got;
    QDeadlineTimer deadline(timeoutMs);
    char buffer[65536];
    while (m_fd >= 0 && !got.contains(end) && !deadline.hasExpired()) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            got.append(buffer, n);
            continue;
        }
        pollfd p{m_fd, POLLIN, 0};
        ::poll(&p, 1, 20);
    }
    return got;
}

QByteArray SimLine::readQuiet(int quietMs, int maxMs) {
    QByteArray got;
    QDeadlineTimer deadline(maxMs);
    QDeadlineTimer quiet(quietMs);
    char buffer[65536];
    while (m_fd >= 0 && !quiet.hasExpired() && !deadline.hasExpired()) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            got.append(buffer, n);
            quiet = QDeadlineTimer(quietMs);
            continue;
        }
        pollfd p{m_fd, POLLIN, 0};
        ::poll(&p, 1, 10);
    }
    return got;
}

bool SimLine::hungUp(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    char buffer[4096];
    while (m_fd >= 0 && !deadline.hasExpired()) {
        pollfd p{m_fd, POLLIN, 0};
        ::poll(&p, 1, 20);
        if (p.revents & (POLLHUP | POLLERR))
            return true;
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n < 0 && errno == EIO)
            return true;
    }
    return false;
}

ParsedStatus ParseStatusAsProgram(const QByteArray& reply) {
    ParsedStatus status;
    QByteArray s = reply;
    const qsizetype prompt = s.indexOf('>');
    if (prompt >= 0)
        s.remove(0, prompt + 1);
    s.remove(0, 2);
    qsizetype end = s.indexOf("\r\n");
    if (end < 0)
        return status;
    status.name = QString::fromLatin1(s.left(std::max<qsizetype>(0, end - 1)));
    s.remove(0, end + 2);
    end = s.indexOf("\r\n");
    if (end < 0)
        return status;
    status.clock = QString::fromLatin1(s.left(end));
    s.remove(0, end + 2);
    end = s.indexOf(" Records\r\n");
    if (end < 0)
        return status;
    bool ok = false;
    status.records = s.left(end).toInt(&ok);
    if (!ok)
        status.records = 0;
    s.remove(0, end + 10);
    end = s.indexOf(" Days\r\n");
    if (end < 0)
        return status;
    s.remove(0, end + 7);
    status.complete = true;
    end = s.indexOf("\r\n");
    if (end < 0)
        return status;
    status.version = QString::fromLatin1(s.left(3));
    status.versionRead = true;
    s.remove(0, end + 2);
    if (s.indexOf("\r\n") < 0)
        return status;
    status.battery = QString::fromLatin1(s.left(10));
    status.batteryRead = true;
    return status;
}

qsizetype FirstOkLineEnd(const QByteArray& bytes) {
    return bytes.toUpper().indexOf("OK\r\n");
}

bool CheckCrcField(const QByteArray& capture) {
    CrcReset();
    qsizetype i = 0;
    for (; i < capture.size() && capture.at(i) != '!'; ++i)
        CrcUpdate(static_cast<uint8_t>(capture.at(i)));
    CrcUpdate(0);
    CrcUpdate(0);
    const qsizetype after = i < capture.size() ? capture.size() - i - 1 : 0;
    if (after <= 3)
        return true;
    if (after == 4)
        return false;
    const QByteArray field = capture.mid(i + 1, 5);
    bool ok = false;
    const int value = field.trimmed().toInt(&ok);
    if (!ok || field.size() != 5 || field.endsWith(' '))
        return false;
    return value == CrcValue();
}

QJsonObject ReadJson(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

QStringList ReadLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void WriteText(const QString& path, const QByteArray& text) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text);
}

QDateTime LoggerTextTime(const QString& text) {
    const QString format =
        text.size() > 14 ? QStringLiteral("MM/dd/yy HH:mm:ss") : QStringLiteral("MM/dd/yy HH:mm");
    QDateTime t = QDateTime::fromString(text, format);
    if (t.isValid() && t.date().year() < 2000)
        t = t.addYears(100);
    return t;
}
