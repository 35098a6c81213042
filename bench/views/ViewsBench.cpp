// The reports and the graph of a full 2 MB memory downloaded from the virtual logger (232,106
// records): the line view against one QTextEdit::setHtml of the same coloured lines, the daily
// report, Select All + Copy, and the graph of every day; the daily report and graph of ten years.
#include "bench/support/SimWorkload.h"
#include "data/DataUnit.h"
#include "views/ChildHost.h"
#include "views/LineView.h"
#include "views/ReportLines.h"
#include "views/TChildGraph.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QScrollBar>
#include <QTextEdit>
#include <benchmark/benchmark.h>

namespace {

// Just enough of a main window for a graph window to live in.
class BenchHost final : public ChildHost {
public:
    const DeviceStatus& Status() const override { return m_status; }
    void ChildActivate() override {}
    void ChildDeactivate() override {}
    int32_t GraphFirstDay() const override { return 0; }
    int32_t GraphLastDay() const override { return 0; }
    void SetGraphRange(int32_t, int32_t) override {}
    QList<TChildGraph*> GraphWindows() const override { return {}; }
    TChildGraph* CreateGraphWindow() override { return nullptr; }
    QMdiSubWindow* ActiveChild() const override { return nullptr; }
    void MnuPrintClick() override {}
    void MnuCopyClick() override {}
    QPrinter* Printer() override { return nullptr; }

private:
    DeviceStatus m_status;
};

double residentMegabytes() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toDouble() * 4096 / (1024 * 1024) : 0;
}

void fullMemory() {
    SimWorkload::LoadDownload(SimWorkload::NewFormatVersion);
}

// Build the lines, hand them to a shown view and paint it once: what the user waits for.
void BM_EventReport_LineView(benchmark::State& state) {
    fullMemory();
    LineView view;
    view.resize(340, 230);
    view.show();
    const double before = residentMegabytes();
    for (auto _ : state) {
        view.setLines(BuildEventLines());
        view.repaint();
    }
    state.counters["lines"] = view.lineCount();
    state.counters["MB_added"] = residentMegabytes() - before;
}
BENCHMARK(BM_EventReport_LineView)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_EventReport_TextEditSetHtml(benchmark::State& state) {
    fullMemory();
    const ReportLines lines = BuildEventLines();
    QTextEdit edit;
    edit.setReadOnly(true);
    edit.resize(340, 230);
    edit.show();
    const double before = residentMegabytes();
    for (auto _ : state) {
        QString html;
        html.reserve(lines.texts.size() * 64);
        for (qsizetype i = 0; i < lines.texts.size(); ++i)
            html += QStringLiteral("<font color=\"%1\">%2</font><br>")
                        .arg(ColourOf(lines.colours[size_t(i)]).name(), lines.texts[i]);
        edit.setHtml(html);
        edit.repaint();
    }
    state.counters["MB_added"] = residentMegabytes() - before;
}
BENCHMARK(BM_EventReport_TextEditSetHtml)->Unit(benchmark::kMillisecond)->Iterations(2);

// The daily report of what the tables hold, built and painted.
void DailyReportOfTheTables(benchmark::State& state) {
    LineView view;
    view.resize(340, 230);
    view.show();
    for (auto _ : state) {
        view.setLines(BuildDailyLines());
        view.repaint();
    }
    state.counters["lines"] = view.lineCount();
}

// UpdateGraph over every day the tables hold and one paint of the chart.
void GraphOfTheTables(benchmark::State& state) {
    BenchHost host;
    TChildGraph graph(&host);
    graph.resize(900, 450);
    graph.show();
    QApplication::processEvents();
    for (auto _ : state) {
        graph.SetRange(0, DataUnit::DailyCount() - 1);
        graph.grab();
    }
    state.counters["days"] = DataUnit::DailyCount();
}

void BM_DailyReport_LineView(benchmark::State& state) {
    fullMemory();
    DailyReportOfTheTables(state);
}
BENCHMARK(BM_DailyReport_LineView)->Unit(benchmark::kMillisecond);

void BM_EventReport_SelectAllCopy(benchmark::State& state) {
    fullMemory();
    LineView view;
    view.setLines(BuildEventLines());
    for (auto _ : state) {
        view.selectAll();
        view.copy();
    }
    state.counters["chars"] = double(QApplication::clipboard()->text().size());
}
BENCHMARK(BM_EventReport_SelectAllCopy)->Unit(benchmark::kMillisecond);

void BM_EventReport_Scroll(benchmark::State& state) {
    fullMemory();
    LineView view;
    view.resize(340, 600);
    view.show();
    view.setLines(BuildEventLines());
    // One step of the scroll bar and the paint of the page it shows.
    int line = 0;
    for (auto _ : state) {
        line = (line + 7919) % view.lineCount();
        view.verticalScrollBar()->setValue(line);
        benchmark::DoNotOptimize(view.viewport()->grab());
    }
}
BENCHMARK(BM_EventReport_Scroll)->Unit(benchmark::kMillisecond);

void BM_Graph_AllDays(benchmark::State& state) {
    fullMemory();
    GraphOfTheTables(state);
}
BENCHMARK(BM_Graph_AllDays)->Unit(benchmark::kMillisecond);

void BM_DailyReport_TenYears(benchmark::State& state) {
    SimWorkload::LoadTenYears();
    DailyReportOfTheTables(state);
}
BENCHMARK(BM_DailyReport_TenYears)->Unit(benchmark::kMillisecond);

void BM_Graph_TenYears(benchmark::State& state) {
    SimWorkload::LoadTenYears();
    GraphOfTheTables(state);
}
BENCHMARK(BM_Graph_TenYears)->Unit(benchmark::kMillisecond);

} // namespace
