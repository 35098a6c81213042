// ombrex-tool stations and add, run as the built program against real archive files.
#include "tests/archive/ArchiveTestSupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QSqlError>
#include <csignal>

namespace {

QString ToolPath() {
    return qEnvironmentVariable("OMBREX_BINARY_DIR") + QStringLiteral("/bin/ombrex-tool");
}

struct ToolRun {
    int exitCode = -1;
    QString out, err;
};

ToolRun Tool(const QStringList& args) {
    QProcess p;
    p.start(ToolPath(), args);
    EXPECT_TRUE(p.waitForFinished(120000)) << args.join(' ').toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

QString Write(const QString& name, const QByteArray& bytes) {
    const QString path = TestFolder() + QLatin1Char('/') + name;
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

// The archive's own check, through a connection of the test's.
QString IntegrityCheck(const QString& path) {
    QString result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "check");
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.exec(QStringLiteral("PRAGMA integrity_check"));
        result = q.next() ? q.value(0).toString() : q.lastError().text();
    }
    QSqlDatabase::removeDatabase("check");
    return result;
}

class Tool_ : public ArchiveTest {};

// Captures of one memory read twice merge; a data file forms a segment of its own; the
// stations list shows the result; a capture that disagrees changes nothing and exits non-zero.
TEST_F(Tool_, AddMergesCapturesAndRefusesADisagreeingOne) {
    const LoggerMemory memory = RainyMonth(At(2009, 6, 1, 8, 0), 30);
    const QString first = Write("first.txt", memory.Capture(18));
    const QString second = Write("download.txt", memory.Capture(30));
    const QString dataFile = Write("2008.dat", "05/01/08,08:00,0.00\r\n05/02/08,09:10,0.05\r\n");
    const QString archive = TestFolder() + "/team.sqlite";

    ToolRun r = Tool({"add", "--archive", archive, "--station", "Hill farm", first, dataFile});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("first.txt: raw download capture, 19 new records in station "
                               "\"Hill farm\" (a new segment)"))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("2008.dat: data file, 2 new records")) << r.out.toStdString();
    r = Tool({"add", "--archive", archive, "--station", "Hill farm", second});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("download.txt: raw download capture, 12 new records"))
        << r.out.toStdString();

    LoggerMemory changed = memory;
    changed.Records[20].Count += 1;
    const QString bad = Write("bad.txt", changed.Capture(30));
    r = Tool({"add", "--archive", archive, "--station", "Hill farm", bad});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains("Record 21")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("its count is")) << r.err.toStdString();
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();

    r = Tool({"stations", "--archive", archive});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << r.out.toStdString();
    EXPECT_TRUE(lines[1].startsWith("Hill farm")) << r.out.toStdString();
    EXPECT_TRUE(lines[1].contains("05/01/08 08:00")) << r.out.toStdString();
    EXPECT_TRUE(lines[1].contains(" 3 ")) << r.out.toStdString();  // three additions kept
    EXPECT_TRUE(lines[1].contains(" 33 ")) << r.out.toStdString(); // 2 + 31 records

    StationArchive opened(archive);
    const auto d = opened.Downloads(opened.FindStation("Hill farm"));
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(opened.RawCapture(d[2].Id), FileBytes(second)); // the exact bytes kept
}

TEST_F(Tool_, UsageErrorsAreOneLineAndNonZero) {
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{"add", "--archive", "a.sqlite", "x.dat"}, "--station NAME is needed"},
        {{"add", "--archive", "a.sqlite", "--station", "S"}, "no file to add"},
        {{"add", "--archive", "a.sqlite", "--station", "S", "none.dat"}, "does not exist"},
        {{"stations", "--archive", "a.sqlite", "--colour"}, "unknown option --colour"},
        {{"add", "--archive"}, "--archive needs a value"},
    };
    for (const auto& c : cases) {
        const ToolRun r = Tool(c.args);
        EXPECT_NE(r.exitCode, 0) << c.says;
        EXPECT_TRUE(r.err.contains(QLatin1String(c.says))) << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    }
    const ToolRun help = Tool({"add", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--logger-version")) << help.out.toStdString();
}

// Killed while adding a full memory: afterwards the archive holds the capture wholly or not
// at all, and passes its own integrity check.
TEST_F(Tool_, KilledWhileAddingLeavesTheCaptureWhollyInOrOut) {
    const LoggerMemory full = RainyMonth(At(2009, 1, 1, 8, 0), 232106);
    const QString capture = Write("download.txt", full.Capture(232106));
    const LoggerMemory small = RainyMonth(At(2008, 6, 1, 8, 0), 10);
    const QString seed = Write("seed.txt", small.Capture(10));
    // Killed while reading the file, then as its transaction has written 256 KB, 2 MB and
    // 6 MB of pages to the write-ahead log.
    int killedMidTransaction = 0;
    for (qint64 walBytes : {qint64(0), qint64(256) << 10, qint64(2) << 20, qint64(6) << 20}) {
        const QString archive = TestFolder() + QStringLiteral("/kill-%1.sqlite").arg(walBytes);
        ASSERT_EQ(Tool({"add", "--archive", archive, "--station", "S", seed}).exitCode, 0);
        QProcess p;
        p.start(ToolPath(), {"add", "--archive", archive, "--station", "S", capture});
        ASSERT_TRUE(p.waitForStarted());
        const QFileInfo wal(archive + "-wal");
        const bool reached = WaitUntil(
            [&] {
                if (p.state() == QProcess::NotRunning)
                    return true;
                return walBytes == 0 || QFileInfo(wal.filePath()).size() > walBytes;
            },
            60000);
        ASSERT_TRUE(reached);
        if (p.state() != QProcess::NotRunning) {
            ::kill(pid_t(p.processId()), SIGKILL);
            p.waitForFinished();
            if (walBytes > 0)
                ++killedMidTransaction;
        }
        EXPECT_EQ(IntegrityCheck(archive), "ok") << walBytes;
        StationArchive opened(archive);
        const auto s = opened.Station(opened.FindStation("S"));
        EXPECT_TRUE(s.Records == 11 || s.Records == 11 + 232107) << s.Records;
        EXPECT_TRUE(s.Downloads == 1 || s.Downloads == 2) << s.Downloads;
        EXPECT_EQ(s.Records == 11, s.Downloads == 1);
    }
    EXPECT_GT(killedMidTransaction, 0);
}

// Two programs adding to one archive at once: the second waits for the first's transaction;
// both additions are there and the file is sound.
TEST_F(Tool_, TwoProgramsOnOneArchiveTakeTurns) {
    const LoggerMemory a = RainyMonth(At(2009, 1, 1, 8, 0), 60000);
    const LoggerMemory b = RainyMonth(At(2010, 1, 1, 8, 0), 60000);
    const QString ca = Write("a.txt", a.Capture(60000));
    const QString cb = Write("b.txt", b.Capture(60000));
    const QString archive = TestFolder() + "/shared.sqlite";
    ASSERT_EQ(Tool({"stations", "--archive", archive}).exitCode, 0); // made before the race
    QProcess p1, p2;
    p1.start(ToolPath(), {"add", "--archive", archive, "--station", "One", ca});
    p2.start(ToolPath(), {"add", "--archive", archive, "--station", "Two", cb});
    ASSERT_TRUE(p1.waitForFinished(120000));
    ASSERT_TRUE(p2.waitForFinished(120000));
    // Each either waited its turn or, past the busy timeout (a slow sanitizer build), said the
    // archive is in use and added nothing.
    int added = 0;
    for (QProcess* p : {&p1, &p2}) {
        const QString err = QString::fromLocal8Bit(p->readAllStandardError());
        if (p->exitCode() == 0)
            ++added;
        else
            EXPECT_TRUE(err.contains("in use")) << err.toStdString();
    }
    EXPECT_GE(added, 1);
    EXPECT_EQ(IntegrityCheck(archive), "ok");
    StationArchive opened(archive);
    const auto stations = opened.Stations();
    int64_t records = 0;
    for (const auto& s : stations)
        records += s.Records;
    EXPECT_EQ(records, 60001 * added);
}

} // namespace
