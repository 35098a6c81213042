// Peak memory of the program with a full 2 MB logger memory downloaded from the virtual logger
// and all three views open: the device information, the event report of every record and the
// graph of every day, each painted offscreen. Its own process, so the peak is the program's.
#include "app/TFMain.h"
#include "bench/app/MainWindowSession.h"
#include "data/DataUnit.h"
#include "link/LoggerLink.h"
#include "views/TChildGraph.h"
#include "views/TChildInfo.h"
#include "views/TChildText.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void BM_PeakMemory_FullMemoryThreeViews(benchmark::State& state) {
    MainWindowSession session({QStringLiteral("--records"), QStringLiteral("232106"),
                               QStringLiteral("--seed"), QStringLiteral("3")});
    if (!session.error().isEmpty()) {
        state.SkipWithError(qPrintable(session.error()));
        return;
    }
    TFMain& main = session.main();
    main.resize(1024, 768);
    for (auto _ : state) {
        main.Action(QStringLiteral("MnuDownload"))->trigger();
        MainWindowSession::WaitUntil([&] { return !main.Link().DownloadActive(); }, 120000);
        if (main.InfoWindows().isEmpty() || main.TextWindows().isEmpty() ||
            main.GraphWindows().isEmpty())
            main.OpenDefaultWindows();
        QApplication::processEvents();
        for (TChildText* text : main.TextWindows())
            text->EventBtnClick();
        for (QMdiSubWindow* child : main.MdiArea()->subWindowList())
            benchmark::DoNotOptimize(child->grab());
        benchmark::DoNotOptimize(main.grab());
    }
    state.counters["events"] = DataUnit::EventCount();
    state.counters["days"] = DataUnit::DailyCount();
    state.counters["views"] =
        double(main.InfoWindows().size() + main.TextWindows().size() + main.GraphWindows().size());
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_PeakMemory_FullMemoryThreeViews)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
