// Dispatch throughput of the serial layer: megabytes of download lines through a pseudo-
// terminal at full speed, through a line matcher (armed again after every packet) and
// OnTriggerAvail reading every byte. Reports CPU time per MB of the GUI thread and the process.
#include "link/PacketMatcher.h"
#include "link/PortMap.h"
#include "link/SerialPort.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <time.h>
#include <unistd.h>

namespace {

double CpuSeconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

struct Pty {
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        grantpt(master);
        unlockpt(master);
        path = QString::fromLocal8Bit(ptsname(master));
        slave = ::open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios tio{};
        tcgetattr(slave, &tio);
        cfmakeraw(&tio);
        tcsetattr(slave, TCSANOW, &tio);
    }
    ~Pty() {
        ::close(master);
        ::close(slave);
    }
    void write(const QByteArray& bytes) {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::write(master, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0)
                done += n;
        }
    }
    int master = -1;
    int slave = -1;
    QString path;
};

QByteArray DownloadLines(qsizetype size) {
    QByteArray data;
    for (int i = 0; data.size() < size; ++i)
        data += "12/31/24 23:59:" + QByteArray::number(10 + i % 50) + " " +
                QByteArray::number(i % 200) + "\r\n";
    return data;
}

void BM_DispatchThroughMatchers(benchmark::State& state) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    Pty pty;
    QDir().mkpath(PortMap::PortsFolder());
    QFile::link(pty.path, PortMap::PortsFolder() + "COM3");

    SerialPort port;
    port.setComNumber(3);
    port.setBaud(115200);
    qsizetype received = 0;
    quint32 sum = 0;
    port.OnTriggerAvail = [&](SerialPort& p, int count) {
        for (int i = 0; i < count; ++i)
            sum += quint8(p.ReadChar());
        received += count;
    };
    port.setOpen(true);
    PacketMatcher lines(&port);
    lines.setStartCond(PacketMatcher::scAnyData);
    lines.setEndCond(PacketMatcher::ecString);
    lines.setEndString("\r\n");
    lines.setTimeOut(0);
    lines.setAutoEnable(true);
    qsizetype packets = 0;
    lines.OnStringPacket = [&](PacketMatcher&, const QByteArray&) { ++packets; };
    PacketMatcher prompt(&port); // a second armed matcher waiting for its start
    prompt.setStartString("OK");
    prompt.setEndCond(PacketMatcher::ecString);
    prompt.setEndString("\r\n");
    prompt.setTimeOut(0);
    lines.setEnabled(true);
    prompt.setEnabled(true);

    const QByteArray data = DownloadLines(qsizetype(state.range(0)) * 1024 * 1024);
    double guiCpu = 0;
    double processCpu = 0;
    for (auto _ : state) {
        received = 0;
        const double gui0 = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        const double process0 = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        std::thread writer([&] { pty.write(data); });
        while (received < data.size())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        writer.join();
        guiCpu += CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - gui0;
        processCpu += CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - process0;
    }
    benchmark::DoNotOptimize(sum);
    const double mb = double(data.size()) * double(state.iterations()) / (1024.0 * 1024.0);
    state.SetBytesProcessed(int64_t(data.size()) * int64_t(state.iterations()));
    state.counters["gui_cpu_ms_per_MB"] = 1000.0 * guiCpu / mb;
    state.counters["process_cpu_ms_per_MB"] = 1000.0 * processCpu / mb;
    state.counters["packets"] = double(packets);
}
BENCHMARK(BM_DispatchThroughMatchers)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
