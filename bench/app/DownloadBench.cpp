// A full 2 MB logger memory downloaded through the main window from the virtual logger at full
// speed: the program's own CPU time set against the time the same bytes take on a 115200-baud
// line (the physical limit of a download).
#include "app/LoggerLink.h"
#include "app/TFMain.h"
#include "data/DataUnit.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Sleeps in the event loop between events, as the running program does: a loop that polls
// would add its own spinning to the program's CPU time.
bool waitUntil(const std::function<bool()>& pred, int ms) {
    QDeadlineTimer deadline(ms);
    QTimer tick; // wakes the loop to look at the deadline
    tick.start(50);
    while (!pred() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return pred();
}

void BM_FullMemoryDownload(benchmark::State& state) {
    QTemporaryDir home;
    QDir(home.path()).mkpath("config/Pluvatec");
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path() + "/config");
    {
        QFile f(home.path() + "/config/Pluvatec/Ombrex2.conf");
        f.open(QIODevice::WriteOnly);
        f.write("[Settings]\nLogger=2\nPort Number=40\n[General]\nShowHelp=0\n");
    }
    QDir::setCurrent(home.path());

    QProcess sim;
    sim.start(QCoreApplication::applicationDirPath() + "/hyetra-sim",
              {"--port", "40", "--fast", "--records", "232106", "--seed", "3"});
    if (!sim.waitForReadyRead(20000)) {
        state.SkipWithError("the virtual logger did not start");
        return;
    }
    TFMain main;
    main.show();
    main.Action("MnuAutoDetect")->trigger();
    if (!waitUntil([&] { return main.Status().Connected && main.MainEnabled(); }, 20000)) {
        state.SkipWithError("no connection");
        return;
    }
    for (auto _ : state) {
        const double cpu0 = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        main.Action("MnuDownload")->trigger();
        waitUntil([&] { return !main.Link().DownloadActive(); }, 120000);
        const double cpu = cpuSeconds() - cpu0;
        const double bytes = double(QFile(home.path() + "/download.txt").size());
        const double lineSeconds = bytes * 10.0 / 115200.0;
        state.SetIterationTime(wall.elapsed() / 1000.0);
        state.counters["records"] = DataUnit::EventCount() - 2;
        state.counters["bytes"] = bytes;
        state.counters["program_cpu_s"] = cpu;
        state.counters["line_time_115200_s"] = lineSeconds;
        state.counters["cpu_fraction_of_line_time"] = cpu / lineSeconds;
    }
    sim.terminate();
    sim.waitForFinished(3000);
}
BENCHMARK(BM_FullMemoryDownload)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
