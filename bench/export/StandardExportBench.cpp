// The standard exports over ten years of records: the interval CSV of 5-minute totals (about a
// million rows) and the same as NetCDF, against pandas writing the same frame with to_csv.
#include "bench/support/SimWorkload.h"
#include "export/StandardExport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

StandardExport::Options FiveMinutes() {
    StandardExport::Options o;
    o.ZoneMinutes = 60;
    o.StationId = QStringLiteral("bench");
    o.StationName = QStringLiteral("Ten years");
    o.IntervalMinutes = 5;
    return o;
}

QTemporaryDir& Folder() {
    static QTemporaryDir folder;
    return folder;
}

void Write(benchmark::State& state, StandardExport::Format format) {
    SimWorkload::LoadTenYears();
    const QString path =
        Folder().path() + QStringLiteral("/out.") + StandardExport::FileExtension(format);
    for (auto _ : state)
        StandardExport::Write(format, path, FiveMinutes());
    state.counters["bytes"] = double(QFileInfo(path).size());
}

void BM_IntervalCsv_TenYears(benchmark::State& state) {
    Write(state, StandardExport::Format::IntervalCsv);
}
void BM_IntervalNetcdf_TenYears(benchmark::State& state) {
    Write(state, StandardExport::Format::NetCdf);
}
void BM_IntervalWaterMl_TenYears(benchmark::State& state) {
    Write(state, StandardExport::Format::WaterMl);
}
void BM_RecordCsv_TenYears(benchmark::State& state) {
    Write(state, StandardExport::Format::RecordCsv);
}

// The peer, timed inside Python around to_csv alone, one time per iteration.
void PandasToCsv(benchmark::State& state, const char* mode) {
    SimWorkload::LoadTenYears();
    const QString source = Folder().path() + QStringLiteral("/peer-source.csv");
    StandardExport::Write(StandardExport::Format::IntervalCsv, source, FiveMinutes());
    const QString interpreter = qEnvironmentVariable("OMBREX_BENCH_PYTHON", "/usr/bin/python3");
    QProcess python;
    python.start(interpreter, {QStringLiteral(OMBREX_PANDAS_TO_CSV), source,
                               Folder().path() + QStringLiteral("/peer-out.csv"),
                               QString::number(state.max_iterations), QLatin1String(mode)});
    if (!python.waitForFinished(600000) || python.exitCode() != 0) {
        state.SkipWithError(
            ("python3 with pandas failed: " + python.readAllStandardError().trimmed()).constData());
        return;
    }
    QList<double> seconds;
    int rows = 0;
    for (const QByteArray& line : python.readAllStandardOutput().split('\n')) {
        if (line.startsWith("rows "))
            rows = line.mid(5).toInt();
        else if (!line.trimmed().isEmpty())
            seconds << line.toDouble();
    }
    if (seconds.size() < qsizetype(state.max_iterations)) {
        state.SkipWithError("python3 printed too few times");
        return;
    }
    qsizetype i = 0;
    for (auto _ : state)
        state.SetIterationTime(seconds[i++]);
    state.counters["rows"] = rows;
}

void BM_IntervalCsv_PandasToCsv(benchmark::State& state) {
    PandasToCsv(state, "dates");
}
void BM_IntervalCsv_PandasToCsvText(benchmark::State& state) {
    PandasToCsv(state, "text");
}

} // namespace

BENCHMARK(BM_IntervalCsv_TenYears)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_IntervalNetcdf_TenYears)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_IntervalWaterMl_TenYears)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RecordCsv_TenYears)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_IntervalCsv_PandasToCsv)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(2);
BENCHMARK(BM_IntervalCsv_PandasToCsvText)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
