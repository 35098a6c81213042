// The storm analysis over ten years of one-minute records: storms with all eleven peak
// intensities and erosivity, side by side with the same computation in pandas (rolling sums over a
// one-minute series) on the same series, whose results must agree to 1e-9.
#include "analysis/RainSeries.h"
#include "analysis/Storms.h"
#include "analysis/Summaries.h"
#include "data/DataUnit.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

constexpr double kMmPerTip = 0.2;
constexpr int32_t kSeparation = 360;

// 2015 to 2024: storms of 300 to 2000 minutes, three minutes in four wet, dry spells inside them
// (some longer than the separation, so they split), between them dry spells of 6 to 25 hours,
// a power reset now and then. Seeded: every run sees the same rain.
const std::vector<RainMinute>& TenYears() {
    static const std::vector<RainMinute> series = [] {
        std::vector<RainMinute> s;
        std::mt19937_64 random(17);
        auto uniform = [&](int a, int b) {
            return std::uniform_int_distribution<int>(a, b)(random);
        };
        const int64_t first = Analysis::MinuteNumber(EncodeDate(2015, 1, 1));
        const int64_t last = Analysis::MinuteNumber(EncodeDate(2025, 1, 1));
        int64_t m = first + uniform(0, 600);
        bool pendingBreak = false;
        while (m < last) {
            const int64_t stormEnd = m + uniform(300, 2000);
            for (; m < stormEnd && m < last; ++m) {
                if (uniform(0, 999) < 3)
                    m += uniform(10, 420); // a dry spell inside the storm
                if (uniform(0, 3) == 0)
                    continue;
                const int tips = uniform(0, 9) < 7 ? 1 : uniform(2, 12);
                s.push_back({Analysis::MinuteTime(m), tips, pendingBreak});
                pendingBreak = false;
            }
            m += uniform(361, 1500);
            pendingBreak = uniform(0, 49) == 0;
        }
        return s;
    }();
    return series;
}

void BM_FindStorms_TenYears(benchmark::State& state) {
    const auto& series = TenYears();
    size_t storms = 0;
    for (auto _ : state) {
        const auto found = Analysis::FindStorms(series, kMmPerTip, {kSeparation});
        storms = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["rain_minutes"] = double(series.size());
    state.counters["storms"] = double(storms);
}

// From the event table as a download or an opened station leaves it: series, storms, summaries.
void BM_StormsFromTables_TenYears(benchmark::State& state) {
    DataUnit::ClearTables();
    DataUnit::BucketFactor = 200;
    DataUnit::ReserveEvents(qsizetype(TenYears().size() + 2));
    DataUnit::AppendEvent({EncodeDate(2015, 1, 1), 0, {}});
    for (const RainMinute& r : TenYears()) {
        if (r.BreakBefore)
            DataUnit::AppendEvent({DataUnit::PowerResetDate, 0, {}});
        DataUnit::AppendEvent({r.Minute, r.Tips, {}});
    }
    DataUnit::AppendEvent({EncodeDate(2025, 1, 1), 0, {}});
    for (auto _ : state) {
        const auto series = RainSeriesFromEvents();
        const auto storms = Analysis::FindStorms(series, MillimetresPerTip());
        const auto sums =
            Analysis::Summarise(series, MillimetresPerTip(), storms, LoggedSpansFromEvents());
        benchmark::DoNotOptimize(sums.Months.data());
    }
    state.counters["events"] = DataUnit::EventCount();
    DataUnit::ClearTables();
}

bool Agrees(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::max(std::fabs(a), std::fabs(b)));
}

// pandas' storm table against FindStorms' on every field; an empty text when they agree.
QString Compare(const QString& path, const std::vector<Analysis::Storm>& storms, double& worst) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("no result file from pandas");
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    if (size_t(lines.size() - 1) != storms.size())
        return QStringLiteral("pandas found %1 storms, FindStorms %2")
            .arg(lines.size() - 1)
            .arg(storms.size());
    worst = 0;
    for (size_t k = 0; k < storms.size(); ++k) {
        const QList<QByteArray> f = lines[qsizetype(k + 1)].split(',');
        const Analysis::Storm& s = storms[k];
        std::vector<double> mine = {double(Analysis::MinuteNumber(s.Start)),
                                    double(Analysis::MinuteNumber(s.End)),
                                    double(s.DurationMinutes), double(s.Tips), s.DepthMm};
        mine.insert(mine.end(), std::begin(s.MaxIntensityMmH), std::end(s.MaxIntensityMmH));
        mine.insert(mine.end(), {s.EnergyMJPerHa, s.EI30, s.Erosive ? 1.0 : 0.0});
        if (size_t(f.size()) != mine.size())
            return QStringLiteral("pandas row %1 has %2 fields").arg(k).arg(f.size());
        for (size_t i = 0; i < mine.size(); ++i) {
            const double theirs = f[qsizetype(i)].toDouble();
            worst =
                std::max(worst, std::fabs(theirs - mine[i]) / std::max(1.0, std::fabs(mine[i])));
            if (!Agrees(theirs, mine[i]))
                return QStringLiteral("storm %1, field %2: pandas %3, FindStorms %4")
                    .arg(k)
                    .arg(i)
                    .arg(theirs, 0, 'g', 17)
                    .arg(mine[i], 0, 'g', 17);
        }
    }
    return {};
}

// The peer, timed inside Python around the computation alone (the CSV read, the interpreter
// start and the imports are not timed), one time per iteration; its results are checked.
void BM_FindStorms_TenYears_Pandas(benchmark::State& state) {
    QTemporaryDir folder;
    const QString input = folder.filePath(QStringLiteral("series.csv"));
    const QString output = folder.filePath(QStringLiteral("storms.csv"));
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot write the series for pandas");
            return;
        }
        QByteArray text = "minute,tips,brk\n";
        for (const RainMinute& r : TenYears())
            text += QByteArray::number(Analysis::MinuteNumber(r.Minute)) + ',' +
                    QByteArray::number(r.Tips) + ',' + (r.BreakBefore ? "1\n" : "0\n");
        file.write(text);
    }
    const QString interpreter = qEnvironmentVariable("OMBREX_BENCH_PYTHON", "/usr/bin/python3");
    QProcess python;
    python.start(interpreter, {QStringLiteral(OMBREX_PANDAS_STORMS_SCRIPT), input,
                               QString::number(kMmPerTip, 'g', 17), QString::number(kSeparation),
                               QString::number(state.max_iterations), output});
    if (!python.waitForFinished(600000) || python.exitCode() != 0) {
        state.SkipWithError(
            ("python3 with pandas failed: " + python.readAllStandardError().trimmed()).constData());
        return;
    }
    QList<double> seconds;
    for (const QByteArray& line : python.readAllStandardOutput().split('\n')) {
        if (!line.startsWith("storms ") && !line.trimmed().isEmpty())
            seconds << line.toDouble();
    }
    if (seconds.size() < qsizetype(state.max_iterations)) {
        state.SkipWithError("python3 printed too few times");
        return;
    }
    double worst = 0;
    const QString disagreement =
        Compare(output, Analysis::FindStorms(TenYears(), kMmPerTip, {kSeparation}), worst);
    if (!disagreement.isEmpty()) {
        state.SkipWithError(
            ("pandas and FindStorms disagree: " + disagreement).toUtf8().constData());
        return;
    }
    qsizetype i = 0;
    for (auto _ : state)
        state.SetIterationTime(seconds[i++]);
    state.counters["largest_relative_difference"] = worst;
}

} // namespace

BENCHMARK(BM_FindStorms_TenYears)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FindStorms_TenYears_Pandas)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseManualTime();
BENCHMARK(BM_StormsFromTables_TenYears)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
