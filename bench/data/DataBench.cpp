// Parse and daily build over a full logger memory from the virtual logger, in both record
// formats; loading the same records as a data file, side by side with pandas.read_csv reading
// that file; the daily table over ten years.
#include "bench/support/SimWorkload.h"
#include "data/CaptureStream.h"
#include "data/DataFiles.h"
#include "data/DataUnit.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using SimWorkload::FullMemoryRecords;

void ParseAndBuild(benchmark::State& state, bool oldFormat) {
    const QString version =
        oldFormat ? SimWorkload::OldFormatVersion : SimWorkload::NewFormatVersion;
    const QByteArray& capture = SimWorkload::Download(version, int(state.range(0)));
    for (auto _ : state) {
        DataUnit::ClearTables();
        CaptureStream::Create();
        CaptureStream::Append(capture);
        DataUnit::ParseDownload(version);
        DataUnit::BuildDailyTable(DataUnit::StartTime());
        benchmark::DoNotOptimize(DataUnit::DailyCount());
    }
    state.counters["events"] = DataUnit::EventCount();
    state.counters["days"] = DataUnit::DailyCount();
    state.SetBytesProcessed(int64_t(state.iterations()) * capture.size());
    state.SetComplexityN(state.range(0));
}

void BM_ParseDownloadNewFormat(benchmark::State& state) {
    ParseAndBuild(state, false);
}
void BM_ParseDownloadOldFormat(benchmark::State& state) {
    ParseAndBuild(state, true);
}

// The full memory as the program saves it, written once for the load and its peer.
const QString& FullMemoryDataFile() {
    static QTemporaryDir folder;
    static const QString path = [] {
        const QString file = folder.path() + QStringLiteral("/memory.dat");
        SimWorkload::LoadDownload(SimWorkload::NewFormatVersion);
        DataUnit::SaveDataFile(file);
        return file;
    }();
    return path;
}

void BM_LoadDataFile(benchmark::State& state) {
    const QString& path = FullMemoryDataFile();
    const qint64 size = QFile(path).size();
    for (auto _ : state) {
        const DataFiles::ReadResult result = DataFiles::LoadDataFile(path);
        benchmark::DoNotOptimize(result.errors);
    }
    state.counters["events"] = DataUnit::EventCount();
    state.counters["days"] = DataUnit::DailyCount();
    state.SetBytesProcessed(int64_t(state.iterations()) * size);
}

// The peer: pandas.read_csv with date parsing reading the same file, timed inside Python
// around the call alone (no interpreter start, no import), one time per iteration.
void PandasReadCsv(benchmark::State& state, const char* mode) {
    const QString& path = FullMemoryDataFile();
    // Debian's python3 with its python3-pandas, whatever other interpreter the PATH finds first.
    const QString interpreter = qEnvironmentVariable("OMBREX_BENCH_PYTHON", "/usr/bin/python3");
    QProcess python;
    python.start(interpreter, {QStringLiteral(OMBREX_PANDAS_SCRIPT), path,
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

void BM_LoadDataFile_PandasReadCsv(benchmark::State& state) {
    PandasReadCsv(state, "dates");
}
// Without the date parsing: a stricter reference than the peer.
void BM_LoadDataFile_PandasReadCsvNoDates(benchmark::State& state) {
    PandasReadCsv(state, "plain");
}

void BM_SaveDataFile(benchmark::State& state) {
    QTemporaryDir folder;
    SimWorkload::LoadDownload(SimWorkload::NewFormatVersion);
    int n = 0;
    for (auto _ : state)
        DataUnit::SaveDataFile(folder.path() + QStringLiteral("/out%1.dat").arg(n++));
    state.counters["events"] = DataUnit::EventCount();
}

// Ten years of days: the daily table built over 3,653 days.
void BM_BuildDailyTable_TenYears(benchmark::State& state) {
    SimWorkload::LoadTenYears();
    for (auto _ : state) {
        DataUnit::BuildDailyTable(DataUnit::StartTime());
        benchmark::DoNotOptimize(DataUnit::DailyCount());
    }
    state.counters["events"] = DataUnit::EventCount();
    state.counters["days"] = DataUnit::DailyCount();
}

} // namespace

// A quarter, half and the whole memory: the time must grow in proportion.
BENCHMARK(BM_ParseDownloadNewFormat)
    ->Arg(FullMemoryRecords / 4)
    ->Arg(FullMemoryRecords / 2)
    ->Arg(FullMemoryRecords)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseDownloadOldFormat)
    ->Arg(FullMemoryRecords / 4)
    ->Arg(FullMemoryRecords / 2)
    ->Arg(FullMemoryRecords)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDataFile)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LoadDataFile_PandasReadCsv)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->UseManualTime();
BENCHMARK(BM_LoadDataFile_PandasReadCsvNoDates)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->UseManualTime();
BENCHMARK(BM_SaveDataFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildDailyTable_TenYears)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
