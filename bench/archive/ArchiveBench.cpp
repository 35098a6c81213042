// Adding a full 2 MB memory (232,106 records) from the virtual logger to an empty station,
// side by side with the sqlite3 shell's .import of the same rows as CSV into the same table;
// opening a station of ten years (over a million records) into the main window's tables and
// painting its three windows, with the process's peak memory.
#include "app/TFMain.h"
#include "archive/ArchiveSchema.h"
#include "archive/ArchiveTime.h"
#include "archive/StationArchive.h"
#include "bench/support/SimWorkload.h"
#include "data/DataUnit.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

QTemporaryDir& Folder() {
    static QTemporaryDir folder;
    return folder;
}

const std::vector<TRainRecord>& FullMemory() {
    static const std::vector<TRainRecord> records = [] {
        SimWorkload::LoadDownload(SimWorkload::NewFormatVersion);
        std::vector<TRainRecord> r = Archive::RecordsFromTables();
        DataUnit::ClearTables();
        return r;
    }();
    return records;
}

void RemoveArchive(const QString& path) {
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

void BM_ArchiveAddFullMemory(benchmark::State& state) {
    Archive::Addition a;
    a.Kind = Archive::Source::Download;
    a.Station = QStringLiteral("Hyetra Sim");
    a.Model = QStringLiteral("Hyetra 2.0");
    a.ZoneMinutes = 60;
    a.Records = FullMemory();
    a.Raw = QByteArray(2 * 1024 * 1024, 'x');
    a.Clock = Archive::ClockReading{a.Records.back().DateTime, QDateTime::currentDateTimeUtc()};
    const QString path = Folder().path() + QStringLiteral("/add.sqlite");
    int64_t added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        RemoveArchive(path);
        {
            StationArchive archive(path); // the empty archive is made before the clock runs
        }
        state.ResumeTiming();
        StationArchive archive(path);
        added = archive.Add(a).NewRecords;
    }
    state.counters["records"] = double(added);
}
BENCHMARK(BM_ArchiveAddFullMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// The peer: the sqlite3 shell imports the same rows, as CSV, into the same record table.
void BM_ArchiveAdd_Sqlite3Import(benchmark::State& state) {
    const QString csv = Folder().path() + QStringLiteral("/rows.csv");
    {
        QFile f(csv);
        f.open(QIODevice::WriteOnly);
        QByteArray text;
        const auto& records = FullMemory();
        for (size_t i = 0; i < records.size() - 1; ++i) {
            const qlonglong t = ArchiveTime::Seconds(records[i].DateTime);
            text += "1," + QByteArray::number(qlonglong(i)) + ',' + QByteArray::number(t) + ',' +
                    QByteArray::number(t) + ',' + QByteArray::number(records[i].Count) + ",\"" +
                    records[i].Message.toUtf8() + "\",1\n";
        }
        f.write(text);
    }
    QString table;
    for (const QString& sql : ArchiveSchema::Migration(1, QStringLiteral("QSQLITE")))
        if (sql.startsWith(QLatin1String("CREATE TABLE record")))
            table = sql;
    const QString path = Folder().path() + QStringLiteral("/import.sqlite");
    const QByteArray script = "PRAGMA journal_mode = WAL;\n" + table.toUtf8() +
                              ";\n.mode csv\n.import '" + csv.toUtf8() + "' record\n";
    for (auto _ : state) {
        state.PauseTiming();
        RemoveArchive(path);
        state.ResumeTiming();
        QProcess shell;
        shell.start(QStringLiteral("sqlite3"), {QStringLiteral("-bail"), path});
        shell.write(script);
        shell.closeWriteChannel();
        if (!shell.waitForFinished(60000) || shell.exitCode() != 0) {
            state.SkipWithError("the sqlite3 shell failed (is the sqlite3 package installed?)");
            break;
        }
    }
}
BENCHMARK(BM_ArchiveAdd_Sqlite3Import)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// Ten yearly segments of 100,001 records each: about four records an hour, two per minute in
// showers.
QString TenYearArchive() {
    static const QString path = [] {
        const QString file = StationArchive::DefaultArchivePath();
        QDir().mkpath(QFileInfo(file).path());
        StationArchive archive(file);
        for (int year = 2015; year < 2025; ++year) {
            Archive::Addition a;
            a.Kind = Archive::Source::Download;
            a.Station = QStringLiteral("Ten years");
            a.Model = QStringLiteral("Hyetra 2.0");
            a.ZoneMinutes = 60;
            const int64_t start = ArchiveTime::Seconds(EncodeDateTime(year, 1, 1, 8, 0));
            a.Records.reserve(100002);
            a.Records.push_back({ArchiveTime::FromSeconds(start), 0, {}});
            for (int i = 0; i < 100000; ++i)
                a.Records.push_back(
                    {ArchiveTime::FromSeconds(start + 600 + int64_t(i / 2) * 600), 1 + i % 3, {}});
            a.Records.push_back({ArchiveTime::FromSeconds(start + 360 * 86400LL), 0, {}});
            a.AddedUtc = QDateTime::fromSecsSinceEpoch(start + 360 * 86400LL - 3600, Qt::UTC);
            archive.Add(a);
        }
        return file;
    }();
    return path;
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void BM_OpenTenYearStation(benchmark::State& state) {
    // The program's own folders in the benchmark's folder, and a quiet start.
    const QString home = Folder().path();
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/share")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/config")).toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home + "/config");
    QDir().mkpath(home + "/config/Pluvatec");
    QFile settings(home + "/config/Pluvatec/Ombrex2.conf");
    if (settings.open(QIODevice::WriteOnly))
        settings.write("[Settings]\nLogger=2\nPort Number=40\n[General]\nShowHelp=0\n");
    settings.close();
    TenYearArchive();
    int64_t id = 0;
    {
        StationArchive archive;
        id = archive.FindStation(QStringLiteral("Ten years"));
    }
    TFMain main;
    main.resize(1280, 800);
    main.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        DataUnit::ClearTables();
        main.OpenStation(id);
        for (QMdiSubWindow* child : main.MdiArea()->subWindowList())
            child->widget()->repaint();
    }
    state.counters["records"] = DataUnit::EventCount();
    state.counters["days"] = DataUnit::DailyCount();
    state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_OpenTenYearStation)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// The archive's share of the opening: the records into the tables and the daily table built.
void BM_LoadTenYearsIntoTables(benchmark::State& state) {
    TenYearArchive();
    StationArchive archive;
    const int64_t id = archive.FindStation(QStringLiteral("Ten years"));
    for (auto _ : state)
        archive.LoadStationIntoTables(id);
    state.counters["records"] = DataUnit::EventCount();
}
BENCHMARK(BM_LoadTenYearsIntoTables)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
