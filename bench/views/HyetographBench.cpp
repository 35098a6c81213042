// The hyetograph of one year of one-minute data, from setting the range to the painted chart,
// with the interval chosen automatically and with one-minute bars decimated to the screen; the
// quality flags over ten years of records.
#include "analysis/QualityFlags.h"
#include "data/DataUnit.h"
#include "views/ChildHost.h"
#include "views/TChildHyetograph.h"

#include <QApplication>
#include <QChartView>
#include <benchmark/benchmark.h>

#include <random>

namespace {

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

const TDateTime kStart = EncodeDateTime(2010, 1, 1, 0, 0);

// A record every minute of a year, 1 to 4 tips (seeded).
void OneYearOfMinutes() {
    DataUnit::ClearTables();
    DataUnit::BucketFactor = 200;
    const int minutes = 365 * 1440;
    DataUnit::ReserveEvents(minutes + 2);
    std::mt19937 random(7);
    DataUnit::AppendEvent({kStart, 0, {}});
    for (int m = 0; m < minutes; ++m)
        DataUnit::AppendEvent(
            {kStart + m / 1440.0, std::uniform_int_distribution<int>(1, 4)(random), {}});
    DataUnit::AppendEvent({kStart + 365, 0, {}});
}

// Ten years of storms: every few days a storm of a few hours with a tip every few minutes, a
// download each month (a gap of half an hour), a power reset each year.
void TenYearsOfRecords() {
    DataUnit::ClearTables();
    DataUnit::BucketFactor = 200;
    std::mt19937 random(11);
    TDateTime t = kStart;
    TDateTime nextDownload = kStart + 30;
    TDateTime nextReset = kStart + 365;
    DataUnit::AppendEvent({t, 0, {}});
    while (t < kStart + 3652) {
        t += std::uniform_int_distribution<int>(0, 4)(random) +
             std::uniform_real_distribution<double>(0.1, 0.9)(random);
        const int tips = std::uniform_int_distribution<int>(20, 400)(random);
        for (int i = 0; i < tips; ++i) {
            t += std::uniform_int_distribution<int>(1, 4)(random) / 1440.0;
            DataUnit::AppendEvent({t, std::uniform_int_distribution<int>(1, 3)(random), {}});
        }
        if (t > nextDownload) {
            DataUnit::AppendEvent({t + 0.01, 0, QStringLiteral("Not logging")});
            DataUnit::AppendEvent({t + 0.03, 0, QStringLiteral("Logging again")});
            t += 0.03;
            nextDownload += 30;
        }
        if (t > nextReset) {
            DataUnit::AppendEvent({DataUnit::PowerResetDate, 0, {}});
            nextReset += 365;
        }
    }
    DataUnit::AppendEvent({t + 0.1, 0, {}});
}

void paintRanges(benchmark::State& state, int32_t interval) {
    OneYearOfMinutes();
    BenchHost host;
    TChildHyetograph window(&host);
    window.resize(1200, 700);
    window.show();
    window.SetIntervalMinutes(interval);
    QCoreApplication::processEvents();
    bool whole = false;
    for (auto _ : state) {
        // Alternately the whole year and the year less its last day: the range is always new.
        whole = !whole;
        window.ShowRange(kStart, kStart + (whole ? 365 : 364));
        QCoreApplication::sendPostedEvents();
        window.ChartView()->viewport()->repaint();
    }
    state.counters["records"] = DataUnit::EventCount();
    state.counters["bars"] = double(window.ShownBins().size());
}

void BM_Hyetograph_OneYearOneMinute(benchmark::State& state) {
    paintRanges(state, 0);
}
BENCHMARK(BM_Hyetograph_OneYearOneMinute)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_Hyetograph_OneYearOneMinuteBars(benchmark::State& state) {
    paintRanges(state, 1);
}
BENCHMARK(BM_Hyetograph_OneYearOneMinuteBars)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_QualityFlags_TenYears(benchmark::State& state) {
    TenYearsOfRecords();
    size_t flagged = 0;
    for (auto _ : state) {
        const auto flags = Analysis::FlagEvents();
        flagged = size_t(std::count_if(flags.begin(), flags.end(),
                                       [](const std::string& f) { return !f.empty(); }));
        benchmark::DoNotOptimize(flags.data());
    }
    state.counters["records"] = DataUnit::EventCount();
    state.counters["flagged"] = double(flagged);
}
BENCHMARK(BM_QualityFlags_TenYears)->Unit(benchmark::kMillisecond)->MinTime(2);

} // namespace
