// Parse and daily build over a full logger memory, in both record formats, and loading the
// same records as a data file.
#include "data/CaptureStream.h"
#include "data/DataFiles.h"
#include "data/DataUnit.h"
#include "data/crc_ccitt.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int MemoryRecords = 232106; // a full 2 MB memory

// Realistic rain: storms of tips a few minutes apart, dry spells of hours to weeks between.
std::vector<TDateTime> RainTimes(int records) {
    std::vector<TDateTime> times;
    times.reserve(size_t(records));
    QRandomGenerator random(2009);
    TDateTime t = EncodeDateTime(2009, 3, 1, 6, 0);
    while (int(times.size()) < records) {
        const int storm = int(random.bounded(20, 400));
        for (int i = 0; i < storm && int(times.size()) < records; ++i) {
            t += random.bounded(1, 15) / 1440.0;
            times.push_back(t);
        }
        t += random.bounded(4 * 60, 3 * 24 * 60) / 1440.0;
    }
    return times;
}

QByteArray WithCrcField(const QByteArray& body) {
    CrcReset();
    for (char c : body)
        CrcUpdate(uint8_t(c));
    CrcUpdate(0);
    CrcUpdate(0);
    return body + "!" + QByteArray::number(CrcValue()).rightJustified(5, ' ') + "\r\nO";
}

QByteArray Capture(bool oldFormat, int records = MemoryRecords) {
    const std::vector<TDateTime> times = RainTimes(records);
    QByteArray body =
        "Hyetra 2.0\r\nDownload\r\n" + LoggerTimeText(times.front() - 1.0 / 24).toLatin1() + "\r\n";
    body.reserve(qsizetype(records) * 22);
    for (TDateTime t : times) {
        const QByteArray date = LoggerTimeText(t).toLatin1(); // MM/dd/yy hh:mm
        if (oldFormat)
            body += date.left(5) + ' ' + date.mid(9, 5) + "    1\r\n";
        else
            body += date + " 0.01\r\n";
    }
    return WithCrcField(body);
}

void ParseAndBuild(benchmark::State& state, bool oldFormat) {
    const QByteArray capture = Capture(oldFormat, int(state.range(0)));
    const QString version = QString::fromLatin1(oldFormat ? "124" : "125");
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

void BM_LoadDataFile(benchmark::State& state) {
    QTemporaryDir folder;
    const QString path = folder.path() + "/memory.dat";
    DataUnit::ClearTables();
    CaptureStream::Create();
    CaptureStream::Append(Capture(false));
    DataUnit::ParseDownload(QStringLiteral("125"));
    DataUnit::SaveDataFile(path);
    const qint64 size = QFile(path).size();
    for (auto _ : state) {
        const DataFiles::ReadResult result = DataFiles::LoadDataFile(path);
        benchmark::DoNotOptimize(result.errors);
    }
    state.counters["events"] = DataUnit::EventCount();
    state.counters["days"] = DataUnit::DailyCount();
    state.SetBytesProcessed(int64_t(state.iterations()) * size);
}

void BM_SaveDataFile(benchmark::State& state) {
    QTemporaryDir folder;
    DataUnit::ClearTables();
    CaptureStream::Create();
    CaptureStream::Append(Capture(false));
    DataUnit::ParseDownload(QStringLiteral("125"));
    int n = 0;
    for (auto _ : state)
        DataUnit::SaveDataFile(folder.path() + QStringLiteral("/out%1.dat").arg(n++));
    state.counters["events"] = DataUnit::EventCount();
}

} // namespace

// A quarter, half and the whole memory: the time must grow in proportion.
BENCHMARK(BM_ParseDownloadNewFormat)
    ->Arg(MemoryRecords / 4)
    ->Arg(MemoryRecords / 2)
    ->Arg(MemoryRecords)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseDownloadOldFormat)
    ->Arg(MemoryRecords / 4)
    ->Arg(MemoryRecords / 2)
    ->Arg(MemoryRecords)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDataFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveDataFile)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
