// Reports of a full logger memory from the virtual logger written through the xlsx spreadsheet,
// side by side with libxlsxwriter writing the same cells directly. Run a single benchmark with
// --benchmark_filter to read its peak memory.
#include "bench/support/SimWorkload.h"
#include "data/DataUnit.h"
#include "export/ReportGenerators.h"
#include "export/XlsxSpreadsheet.h"
#include "ui/DesktopOpener.h"
#include "ui/Prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <xlsxwriter.h>

namespace {

constexpr int EventRows = 65528; // rows 7 to 65534

class SilentOpener final : public DesktopOpener::Service {
public:
    bool open(const QString&) override { return true; }
    bool hasHandler(const QString&) override { return true; }
};

class AnswerNo final : public Prompts::Service {
public:
    Prompts::Answer ask(Prompts::Kind, const QString&) override { return Prompts::Answer::No; }
    QString openFile(const Prompts::FileDialog&) override { return {}; }
    QString saveFile(const Prompts::FileDialog&) override { return {}; }
    bool printerSetup(QPrinter*) override { return false; }
};

void LoadFullMemory() {
    SimWorkload::LoadDownload(SimWorkload::NewFormatVersion);
}

TDateTime FirstTime() {
    bool outOfRange = false;
    return DataUnit::GetEvent(0, outOfRange).DateTime;
}

TDateTime LastTime() {
    bool outOfRange = false;
    return DataUnit::GetEvent(DataUnit::EventCount() - 1, outOfRange).DateTime;
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

double ReportBytes() {
    double total = 0;
    for (const QFileInfo& f : QDir(ReportsFolder()).entryInfoList({"*.xlsx"}, QDir::Files))
        total += double(f.size());
    return total;
}

void ClearReports() {
    for (const QString& f : QDir(ReportsFolder()).entryList({"*.xlsx"}, QDir::Files))
        QFile::remove(ReportsFolder() + "/" + f);
}

void BM_EventsReport_Xlsx(benchmark::State& state) {
    LoadFullMemory();
    const ReportContext context{XlsxSpreadsheet::Factory(), FirstTime(), LastTime(), QString()};
    double bytes = 0;
    for (auto _ : state) {
        ExportEvents(context);
        state.PauseTiming();
        bytes = ReportBytes();
        ClearReports();
        state.ResumeTiming();
    }
    state.counters["rows"] = EventRows;
    state.counters["file_KB"] = bytes / 1024.0;
    state.counters["peak_MB"] = PeakMegabytes();
}

void BM_EventsCells_Libxlsxwriter(benchmark::State& state) {
    LoadFullMemory();
    const QByteArray path = (ReportsFolder() + "/libxlsxwriter.xlsx").toLocal8Bit();
    QDir().mkpath(ReportsFolder());
    double bytes = 0;
    for (auto _ : state) {
        lxw_workbook* book = workbook_new(path.constData());
        lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
        lxw_format* dateTime = workbook_add_format(book);
        format_set_num_format(dateTime, "mm/dd/yy h:mm:ss AM/PM");
        lxw_format* depth = workbook_add_format(book);
        format_set_num_format(depth, "0.00");
        bool outOfRange = false;
        for (int i = 0; i < EventRows; ++i) {
            const TRainRecord r = DataUnit::GetEvent(i, outOfRange);
            worksheet_write_number(sheet, lxw_row_t(6 + i), 0, r.DateTime, dateTime);
            worksheet_write_number(sheet, lxw_row_t(6 + i), 1,
                                   r.Count * DataUnit::BucketFactor / 1000.0, depth);
        }
        if (workbook_close(book) != LXW_NO_ERROR)
            state.SkipWithError("libxlsxwriter failed");
        state.PauseTiming();
        bytes = double(QFileInfo(QString::fromLocal8Bit(path)).size());
        QFile::remove(QString::fromLocal8Bit(path));
        state.ResumeTiming();
    }
    state.counters["rows"] = EventRows;
    state.counters["file_KB"] = bytes / 1024.0;
}

// A whole year, one row a minute: the first record, then fillers up to RangeTo. Not a year of
// the full memory: its power-reset records (dated 2002) would each start fillers from 2002 on.
void BM_MinuteReportYear_Xlsx(benchmark::State& state) {
    const TDateTime from = EncodeDateTime(2009, 1, 1, 0, 0);
    DataUnit::ClearTables();
    DataUnit::AppendEvent(TRainRecord{from, 3, {}});
    DataUnit::AppendEvent(TRainRecord{EncodeDateTime(2010, 1, 2, 0, 0), 1, {}});
    const ReportContext context{XlsxSpreadsheet::Factory(), from, EncodeDateTime(2010, 1, 1, 0, 0),
                                QString()};
    AnswerNo no;
    Prompts::Install(&no);
    double bytes = 0;
    for (auto _ : state) {
        ExportByMinute(context);
        state.PauseTiming();
        bytes = ReportBytes();
        ClearReports();
        state.ResumeTiming();
    }
    Prompts::Install(nullptr);
    state.counters["minutes"] = 365 * 1440;
    state.counters["file_KB"] = bytes / 1024.0;
    state.counters["peak_MB"] = PeakMegabytes();
}

BENCHMARK(BM_EventsReport_Xlsx)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_EventsCells_Libxlsxwriter)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_MinuteReportYear_Xlsx)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    SilentOpener opener;
    DesktopOpener::Install(&opener);
    DataUnit::BucketFactor = 254;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DesktopOpener::Install(nullptr);
    return 0;
}
