#include "bench/support/SimWorkload.h"

#include "data/CaptureStream.h"
#include "data/DataUnit.h"
#include "data/Date_unit.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace SimWorkload {

namespace {

[[noreturn]] void Fail(const QString& why) {
    throw std::runtime_error(("virtual logger: " + why).toStdString());
}

// The virtual logger's answer ends with the check-sum field and "OK" CR LF.
bool Complete(const QByteArray& bytes) {
    return bytes.endsWith("OK\r\n") && bytes.lastIndexOf('!') > 0;
}

QByteArray Fetch(const QString& version, int records) {
    QTemporaryDir config; // its own ports folder, so no real port entry is touched
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    QProcess sim;
    sim.setProcessEnvironment(env);
    sim.start(QCoreApplication::applicationDirPath() + QStringLiteral("/hyetra-sim"),
              {QStringLiteral("--port"), QStringLiteral("50"), QStringLiteral("--fast"),
               QStringLiteral("--version"), version, QStringLiteral("--records"),
               QString::number(records), QStringLiteral("--seed"), QString::number(Seed)});
    if (!sim.waitForReadyRead(30000))
        Fail(QStringLiteral("did not start: ") + sim.errorString() +
             QString::fromLocal8Bit(sim.readAllStandardError()));
    const QString banner = QString::fromLocal8Bit(sim.readAllStandardOutput());
    const QRegularExpressionMatch device =
        QRegularExpression(QStringLiteral(" on (/dev/\\S+) ")).match(banner);
    if (!device.hasMatch())
        Fail(QStringLiteral("no device in \"%1\"").arg(banner));

    const int fd = ::open(device.captured(1).toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        Fail(QStringLiteral("cannot open ") + device.captured(1));
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    const char command = version.at(2) <= QLatin1Char('4') ? 'o' : 'y';
    if (::write(fd, &command, 1) != 1)
        Fail(QStringLiteral("cannot send the download command"));

    QByteArray bytes;
    char chunk[65536];
    QDeadlineTimer deadline(120000);
    while (!Complete(bytes) && !deadline.hasExpired()) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 1000) <= 0)
            continue;
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0)
            bytes.append(chunk, n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
    }
    ::close(fd);
    sim.terminate();
    sim.waitForFinished(5000);
    if (!Complete(bytes))
        Fail(QStringLiteral("the download of %1 records did not complete (%2 bytes)")
                 .arg(records)
                 .arg(bytes.size()));
    return bytes;
}

} // namespace

const QByteArray& Download(const QString& version, int records) {
    static QMap<QString, QByteArray> cache;
    const QString key = version + QLatin1Char('/') + QString::number(records);
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.insert(key, Fetch(version, records));
    return *it;
}

void LoadDownload(const QString& version, int records) {
    const QByteArray& bytes = Download(version, records);
    DataUnit::ClearTables();
    CaptureStream::Create();
    CaptureStream::Append(bytes);
    DataUnit::ParseDownload(version);
    DataUnit::BuildDailyTable(DataUnit::StartTime());
}

void LoadTenYears() {
    DataUnit::ClearTables();
    std::mt19937 random(20150101);
    const TDateTime first = EncodeDateTime(2015, 1, 1, 0, 0);
    const TDateTime end = EncodeDateTime(2025, 1, 1, 0, 0);
    DataUnit::AppendEvent({first, 0, {}}); // the start record
    for (TDateTime day = first; day < end; day += 1.0) {
        if (std::uniform_int_distribution<int>(0, 2)(random) != 0)
            continue;
        TDateTime t = day + std::uniform_int_distribution<int>(60, 1200)(random) / 1440.0;
        const int tips = std::uniform_int_distribution<int>(2, 120)(random);
        for (int i = 0; i < tips && t < day + 1.0; ++i) {
            DataUnit::AppendEvent({t, std::uniform_int_distribution<int>(1, 3)(random), {}});
            t += std::uniform_int_distribution<int>(1, 4)(random) / 1440.0;
        }
    }
    DataUnit::AppendEvent({end, 0, {}}); // the end record
    DataUnit::SetStartTime(first);
    DataUnit::BuildDailyTable(first);
}

} // namespace SimWorkload
