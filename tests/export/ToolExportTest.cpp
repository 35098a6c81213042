// ombrex-tool export end to end: a real child process, its files read back by pandas, netCDF4
// and lxml, its errors as the user sees them.
#include "tests/support/TestUtil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

namespace {

QString Tool() {
    return QString::fromLocal8Bit(qgetenv("OMBREX_BINARY_DIR")) + "/bin/ombrex-tool";
}

QString PathIn(const QString& name) {
    return TestFolder() + QLatin1Char('/') + name;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

struct ToolRun {
    int exitCode = -1;
    QString out, err;
};

ToolRun RunTool(const QStringList& args) {
    QProcess tool;
    tool.start(Tool(), args);
    ToolRun r;
    if (!tool.waitForFinished(60000)) {
        ADD_FAILURE() << "ombrex-tool did not finish: " << qPrintable(args.join(' '));
        return r;
    }
    r.exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    r.out = QString::fromLocal8Bit(tool.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(tool.readAllStandardError());
    return r;
}

QJsonObject ReadBack(const char* kind, const QString& path) {
    QProcess python;
    python.start("/usr/bin/python3", {QString::fromLocal8Bit(qgetenv("OMBREX_SOURCE_DIR")) +
                                          "/tests/export/read_standard.py",
                                      QLatin1String(kind), path});
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        ADD_FAILURE() << kind << " reader failed on " << qPrintable(path) << ": "
                      << python.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

QJsonArray Column(const QJsonObject& csv, const char* name) {
    return csv.value("values").toObject().value(QLatin1String(name)).toArray();
}

// Two days of a gauge of 0.2 mm a tip (counts in hundredths, as data files keep them).
const QByteArray kGauge = "03/01/09,08:00,0.00\r\n"
                          "03/01/09,08:03,0.02\r\n"
                          "03/01/09,08:04,0.01\r\n"
                          "03/02/09,09:10,0.03\r\n"
                          "03/02/09,10:00,0.00\r\n";

class ToolExport : public ::testing::Test {
protected:
    void SetUp() override {
        // The collector comes from the program's settings.
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "Pluvatec", "Ombrex2")
            .setValue("Settings/Bucket Factor", "200");
        WriteFile(PathIn("gauge.dat"), kGauge);
    }
};

TEST_F(ToolExport, HelpDescribesEveryFormatAndOption) {
    const ToolRun r = RunTool({"export", "--help"});
    EXPECT_EQ(r.exitCode, 0);
    for (const char* word : {"record-csv", "interval-csv", "storms-csv", "netcdf", "waterml",
                             "--interval", "--from", "--to", "--zone", "-o", "--station"})
        EXPECT_TRUE(r.out.contains(QLatin1String(word))) << word;
    EXPECT_TRUE(RunTool({"--help"}).out.contains("export"));
}

TEST_F(ToolExport, EveryFormatFromADataFile) {
    const QString in = PathIn("gauge.dat");
    const QStringList common{"export", in, "--zone", "-05:00", "--interval", "720"};
    for (const char* format : {"record-csv", "interval-csv", "storms-csv", "netcdf", "waterml"}) {
        const ToolRun r = RunTool(common + QStringList{"--format", format, "-o", PathIn(format)});
        EXPECT_EQ(r.exitCode, 0) << format << ": " << qPrintable(r.err);
        EXPECT_EQ(r.err, "") << format;
    }
    const QJsonObject records = ReadBack("csv", PathIn("record-csv"));
    EXPECT_EQ(records["rows"].toInt(), 5);
    EXPECT_EQ(Column(records, "time_utc")[1].toString(), "2009-03-01T13:03:00+00:00");
    EXPECT_DOUBLE_EQ(Column(records, "depth_mm")[3].toDouble(), 0.6);

    // Half days from midnight before the first record; the second day's afternoon is not logged.
    const QJsonObject halves = ReadBack("csv", PathIn("interval-csv"));
    const QJsonArray local = Column(halves, "time_local");
    ASSERT_EQ(local.size(), 3);
    EXPECT_EQ(local[0].toString(), "2009-03-01T12:00:00-05:00");
    const QJsonArray depth = Column(halves, "depth_mm");
    EXPECT_DOUBLE_EQ(depth[0].toDouble(), 0.6);
    EXPECT_DOUBLE_EQ(depth[1].toDouble(), 0.0);
    EXPECT_DOUBLE_EQ(depth[2].toDouble(), 0.6);

    const QJsonObject nc = ReadBack("netcdf", PathIn("netcdf"));
    EXPECT_EQ(nc["station_name"].toString(), "gauge");
    EXPECT_EQ(nc["precipitation"].toArray().size(), 3);
    EXPECT_EQ(ReadBack("waterml", PathIn("waterml"))["points"].toArray().size(), 3);
    EXPECT_TRUE(ReadBack("csv", PathIn("storms-csv"))["columns"].toArray().contains("ei30"));

    // A range: date-only --to is the end of that day.
    const ToolRun r =
        RunTool({"export", in, "--format", "interval-csv", "--interval", "1440", "--zone", "+00:00",
                 "--from", "2009-03-02", "--to", "2009-03-02", "-o", PathIn("day.csv")});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    const QJsonObject day = ReadBack("csv", PathIn("day.csv"));
    EXPECT_EQ(Column(day, "time_utc").size(), 1);
    EXPECT_EQ(Column(day, "time_utc")[0].toString(), "2009-03-03T00:00:00+00:00");
    EXPECT_DOUBLE_EQ(Column(day, "depth_mm")[0].toDouble(), 0.6);
}

TEST_F(ToolExport, EveryErrorIsOneLineAndANonZeroExit) {
    const QString in = PathIn("gauge.dat");
    WriteFile(PathIn("notes.txt"), "shopping list\nmilk\n");
    // A command line the tool does not understand ends with 2, a failed export with 1.
    struct Case {
        QStringList args;
        const char* message;
        int exitCode;
    };
    const Case cases[] = {
        {{"--format", "netcdf", "--from", "2009-02-30", "-o", "x.nc", in}, "not a date", 2},
        {{"--format", "netcdf", "--to", "yesterday", "-o", "x.nc", in}, "not a date", 2},
        {{"--format", "netcdf", "-o", PathIn("no/such/x.nc"), in}, "does not exist", 1},
        {{"--format", "netcdf", "-o", TestFolder(), in}, "It is a folder", 1},
        {{"--format", "netcdf", "-o", "x.nc", PathIn("notes.txt")}, "is not a data file", 1},
        {{"--format", "netcdf", "-o", "x.nc", PathIn("missing.dat")}, "does not exist", 1},
        {{"--format", "excel", "-o", "x.nc", in}, "unknown format 'excel'", 2},
        {{"--format", "netcdf", in}, "-o OUT is missing", 2},
        {{"-o", "x.nc", in}, "--format is missing", 2},
        {{"--format", "netcdf", "-o", "x.nc"}, "name either a data file or --station", 2},
        {{"--format", "netcdf", "-o", "x.nc", "--zone", "CET", in}, "not an offset from UTC", 2},
        {{"--format", "netcdf", "-o", "x.nc", "--interval", "1441", in}, "1 to 1440", 2},
        {{"--format", "netcdf", "-o", "x.nc", "--from", "2009-03-02", "--to", "2009-03-01", in},
         "--to must come after --from",
         2},
        {{"--format", "netcdf", "-o", "x.nc", "--colour", in}, "unknown option '--colour'", 2},
        {{"--format", "netcdf", "-o", "x.nc", "--station", "Upper Brook"}, "no station", 1},
    };
    for (const Case& c : cases) {
        const ToolRun r = RunTool(QStringList{"export"} + c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << qPrintable(c.args.join(' '));
        EXPECT_TRUE(r.err.startsWith("ombrex-tool export: ")) << qPrintable(r.err);
        EXPECT_TRUE(r.err.contains(QLatin1String(c.message))) << qPrintable(r.err);
        EXPECT_EQ(r.err.count('\n'), 1) << qPrintable(r.err);
    }
    EXPECT_FALSE(QFile::exists(PathIn("x.nc")));
    EXPECT_EQ(QDir(TestFolder()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"gauge.dat", "notes.txt"}));
}

// A station of an archive made by the tool: its name, its clock zone, its record.
TEST_F(ToolExport, StationOfAnArchive) {
    const QString archive = PathIn("stations.sqlite");
    ToolRun r =
        RunTool({"add", "--archive", archive, "--station", "Upper Brook", PathIn("gauge.dat")});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    r = RunTool({"export", "--archive", archive, "--station", "Upper Brook", "--format",
                 "interval-csv", "--interval", "1440", "-o", PathIn("brook.csv")});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    const QJsonObject csv = ReadBack("csv", PathIn("brook.csv"));
    QStringList header;
    for (const QJsonValue& v : csv["header"].toArray())
        header << v.toString();
    EXPECT_TRUE(header.contains("# station: Upper Brook")) << qPrintable(header.join('|'));
    const QJsonArray depth = Column(csv, "depth_mm");
    ASSERT_EQ(depth.size(), 2);
    EXPECT_DOUBLE_EQ(depth[0].toDouble(), 0.6);
    EXPECT_DOUBLE_EQ(depth[1].toDouble(), 0.6);
    r = RunTool({"export", "--archive", archive, "--station", "Lower Brook", "--format", "netcdf",
                 "-o", PathIn("lower.nc")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("no station \"Lower Brook\"")) << qPrintable(r.err);
    EXPECT_FALSE(QFile::exists(PathIn("lower.nc")));
}

// A raw capture is read as a download is; a check sum that fails is said, and the records kept.
TEST_F(ToolExport, RawCaptureWithABadCheckSumIsExportedWithAWarning) {
    WriteFile(PathIn("download.txt"), "Hyetra\r\nDownload\r\n06/01/09 08:00\r\n"
                                      "06/01/09 09:10 5\r\n06/02/09 10:00 7\r\n!00000\r\nOK\r\n");
    const ToolRun r = RunTool({"export", PathIn("download.txt"), "--format", "record-csv", "--zone",
                               "+00:00", "-o", PathIn("capture.csv")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains("warning: the check sum")) << qPrintable(r.err);
    EXPECT_EQ(r.err.count('\n'), 1);
    const QJsonObject csv = ReadBack("csv", PathIn("capture.csv"));
    EXPECT_EQ(csv["rows"].toInt(), 4); // start, two records, end when the file was written
    EXPECT_EQ(Column(csv, "tips")[1].toDouble(), 5);
    EXPECT_EQ(Column(csv, "time_utc")[2].toString(), "2009-06-02T10:00:00+00:00");
}

// Ctrl+C while the file is being written: the tool says so, exits 130, and leaves nothing.
TEST_F(ToolExport, InterruptLeavesNoPartialFile) {
    QDir().mkpath(PathIn("out"));
    WriteFile(PathIn("long.dat"), "01/01/05,00:00,0.00\r\n12/31/08,23:59,0.01\r\n");
    QProcess tool;
    tool.start(Tool(), {"export", PathIn("long.dat"), "--format", "waterml", "--interval", "1",
                        "-o", PathIn("out/long.xml")});
    ASSERT_TRUE(tool.waitForStarted());
    // Interrupted once the temporary file is there: the export is part-way.
    QElapsedTimer clock;
    clock.start();
    bool seen = false;
    while (!seen && clock.elapsed() < 30000 && tool.state() == QProcess::Running) {
        seen = !QDir(PathIn("out")).entryList(QDir::Files | QDir::Hidden).isEmpty();
        if (!seen)
            QThread::usleep(200);
    }
    ASSERT_TRUE(seen) << "the export ended before it could be interrupted";
    ::kill(pid_t(tool.processId()), SIGINT);
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tool.exitCode(), 130);
    EXPECT_TRUE(QString::fromLocal8Bit(tool.readAllStandardError()).contains("interrupted"));
    EXPECT_EQ(QDir(PathIn("out")).entryList(QDir::Files | QDir::Hidden), QStringList{});
}

} // namespace
