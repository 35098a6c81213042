// A full 2 MB logger memory downloaded through the main window from the virtual logger at full
// speed, in both record formats: the program's own CPU time set against the time the same bytes
// take on a 115200-baud line (the physical limit of a download).
#include "app/TFMain.h"
#include "bench/app/MainWindowSession.h"
#include "data/DataUnit.h"
#include "link/LoggerLink.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void Download(benchmark::State& state, const QString& version) {
    MainWindowSession session({QStringLiteral("--records"), QStringLiteral("232106"),
                               QStringLiteral("--seed"), QStringLiteral("3"),
                               QStringLiteral("--version"), version});
    if (!session.error().isEmpty()) {
        state.SkipWithError(qPrintable(session.error()));
        return;
    }
    TFMain& main = session.main();
    for (auto _ : state) {
        const double cpu0 = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        main.Action(QStringLiteral("MnuDownload"))->trigger();
        MainWindowSession::WaitUntil([&] { return !main.Link().DownloadActive(); }, 120000);
        const double cpu = cpuSeconds() - cpu0;
        const double bytes =
            double(QFile(session.homePath() + QStringLiteral("/download.txt")).size());
        const double lineSeconds = bytes * 10.0 / 115200.0;
        state.SetIterationTime(wall.elapsed() / 1000.0);
        state.counters["records"] = DataUnit::EventCount() - 2;
        state.counters["bytes"] = bytes;
        state.counters["program_cpu_s"] = cpu;
        state.counters["line_time_115200_s"] = lineSeconds;
        state.counters["cpu_fraction_of_line_time"] = cpu / lineSeconds;
    }
}

void BM_FullMemoryDownload(benchmark::State& state) {
    Download(state, QStringLiteral("225"));
}
BENCHMARK(BM_FullMemoryDownload)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// The same memory in the old record format (download command "o").
void BM_FullMemoryDownloadOldFormat(benchmark::State& state) {
    Download(state, QStringLiteral("224"));
}
BENCHMARK(BM_FullMemoryDownloadOldFormat)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
