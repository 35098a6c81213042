// ombrex-tool storms run as a user runs it: the built program on a data file, its CSV read back
// with pandas.
#include "tests/support/TestUtil.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode = -1;
    QByteArray out, err;
};

ToolRun Tool(const QStringList& args) {
    QProcess tool;
    tool.start(QCoreApplication::applicationDirPath() + QStringLiteral("/ombrex-tool"),
               QStringList{QStringLiteral("storms")} + args);
    ToolRun r;
    if (!tool.waitForFinished(60000))
        return r;
    r.exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    r.out = tool.readAllStandardOutput();
    r.err = tool.readAllStandardError();
    return r;
}

// A data file: 30 minutes of one tip from 08:00 (the worked example with 1 mm tips), then one tip
// 361 minutes after the last: two storms.
QString WriteDataFile() {
    const QString path = TestFolder() + QStringLiteral("/gauge.dat");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("03/01/09,07:55,0.00\r\n");
    for (int m = 0; m < 30; ++m)
        file.write(
            QStringLiteral("03/01/09,08:%1,0.01\r\n").arg(m, 2, 10, QLatin1Char('0')).toLatin1());
    file.write("03/01/09,14:30,0.01\r\n");
    return path;
}

// Runs a pandas check on the CSV; the script prints "ok" or what differs.
QString Pandas(const QByteArray& csv, const char* check) {
    const QString path = TestFolder() + QStringLiteral("/storms.csv");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write");
    file.write(csv);
    file.close();
    const QString script = QStringLiteral("import sys, pandas as pd\n"
                                          "f = pd.read_csv(sys.argv[1], comment='#')\n") +
                           QLatin1String(check);
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, path});
    python.waitForFinished(60000);
    return QString::fromUtf8(python.readAllStandardOutput() + python.readAllStandardError())
        .trimmed();
}

} // namespace

TEST(StormsTool, PrintsTheStormTableOfADataFileAsCsv) {
    const ToolRun r =
        Tool({WriteDataFile(), QStringLiteral("--bucket-factor"), QStringLiteral("1000"),
              QStringLiteral("--zone"), QStringLiteral("+01:00")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
    // One comment line first: the file, the options and whether flags were left out.
    EXPECT_TRUE(r.out.startsWith("# gauge.dat; Storms separated by more than 360 dry minutes; "
                                 "energy: Brown-Foster; collector 1 mm/tip; No flags left out of "
                                 "the analysis\nstart_local,"))
        << r.out.left(200).constData();
    const QString verdict = Pandas(r.out, R"(
cols = ["start_local", "start_utc", "end_local", "end_utc", "duration_min", "tips", "depth_mm"] + \
    [f"i{d}_mm_h" for d in (5, 10, 15, 20, 30, 60, 120, 180, 360, 720, 1440)] + \
    ["energy_mj_ha", "ei30", "erosive"]
assert list(f.columns) == cols, list(f.columns)
assert len(f) == 2, len(f)
a = f.iloc[0]
assert a.start_local == "2009-03-01T08:00+01:00" and a.start_utc == "2009-03-01T07:00Z", a
assert a.end_local == "2009-03-01T08:29+01:00", a.end_local
assert a.duration_min == 30 and a.tips == 30 and a.depth_mm == 30.0
assert a.i30_mm_h == 60.0 and a.i60_mm_h == 30.0 and a.i5_mm_h == 60.0
assert abs(a.energy_mj_ha - 8.388) < 5e-4, a.energy_mj_ha
assert abs(a.ei30 - 503.3) < 0.05, a.ei30
assert bool(a.erosive) is True
b = f.iloc[1]
assert b.start_local == "2009-03-01T14:30+01:00" and b.depth_mm == 1.0 and not bool(b.erosive)
print("ok")
)");
    EXPECT_EQ(verdict, QStringLiteral("ok"));
}

// The logger's own download text: header, start time, records, check sum.
QString WriteCapture(bool rightCrc) {
    QByteArray covered = "\r\nHyetra 225 5 Records\r\n03/01/09 07:55\r\n";
    for (int m = 0; m < 4; ++m)
        covered +=
            QStringLiteral("03/01/09 08:%1 0.01\r\n").arg(m, 2, 10, QLatin1Char('0')).toLatin1();
    covered += "03/01/09 20:00 0.02\r\n";
    // CRC-CCITT (XModem) over everything before the "!".
    uint16_t crc = 0;
    for (char ch : covered) {
        crc ^= uint16_t(uint8_t(ch)) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? uint16_t((crc << 1) ^ 0x1021) : uint16_t(crc << 1);
    }
    if (!rightCrc)
        crc ^= 0x0101;
    const QString path = TestFolder() + QStringLiteral("/download.txt");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(covered +
               QStringLiteral("!%1\r\nOK\r\n").arg(crc, 5, 10, QLatin1Char('0')).toLatin1());
    return path;
}

TEST(StormsTool, ReadsARawCaptureAndRefusesOneWhoseCheckSumFails) {
    const ToolRun r =
        Tool({WriteCapture(true), QStringLiteral("--zone"), QStringLiteral("-05:00")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(Pandas(r.out, "print(len(f), f.start_utc[0], f.tips[0], f.tips[1])"),
              QStringLiteral("2 2009-03-01T13:00Z 4 2"));
    const ToolRun bad = Tool({WriteCapture(false)});
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_TRUE(bad.out.isEmpty());
    EXPECT_TRUE(bad.err.contains("check sum")) << bad.err.constData();
    const ToolRun anyway = Tool({WriteCapture(false), QStringLiteral("--ignore-crc")});
    EXPECT_EQ(anyway.exitCode, 0) << anyway.err.constData();
    EXPECT_EQ(Pandas(anyway.out, "print(len(f))"), QStringLiteral("2"));
}

TEST(StormsTool, TakesItsDefaultsFromTheProgramsSettings) {
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                           QStringLiteral("Pluvatec"), QStringLiteral("Ombrex2"));
        settings.setValue(QStringLiteral("Storms/Separation Minutes"), QStringLiteral("400"));
        settings.setValue(QStringLiteral("Settings/Bucket Factor"), QStringLiteral("200"));
        settings.setValue(QStringLiteral("Analysis/Leave Out Accepted Flags"), QStringLiteral("1"));
    }
    const ToolRun r = Tool({WriteDataFile(), QStringLiteral("--zone"), QStringLiteral("+00:00")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    // 361 dry minutes no longer separate; 31 tips of 0.2 mm.
    EXPECT_EQ(Pandas(r.out, "print(len(f), round(f.depth_mm[0], 9))"), QStringLiteral("1 6.2"));
    // The program's "Leave out accepted flags" holds here too, and the first line says so.
    EXPECT_TRUE(
        r.out.left(r.out.indexOf('\n')).endsWith("; Accepted flags left out of the analysis"))
        << r.out.left(200).constData();
    // An option still wins.
    const ToolRun again =
        Tool({WriteDataFile(), QStringLiteral("--separation"), QStringLiteral("360")});
    EXPECT_EQ(Pandas(again.out, "print(len(f))"), QStringLiteral("2"));
}

TEST(StormsTool, RefusesBadInputWithOneLineOnStandardError) {
    const QString notRecords = TestFolder() + QStringLiteral("/notes.txt");
    {
        QFile file(notRecords);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("shopping list\r\nbread\r\n");
    }
    const struct {
        const char* name;
        QStringList args;
        const char* says;
    } cases[] = {
        {"no file", {}, "no file given"},
        {"missing file", {QStringLiteral("absent.dat")}, "does not exist"},
        {"not a record file", {notRecords}, "is not a data file"},
        {"unknown option", {WriteDataFile(), QStringLiteral("--fast")}, "unknown option"},
        {"bad energy",
         {WriteDataFile(), QStringLiteral("--energy"), QStringLiteral("x")},
         "--energy"},
        {"bad separation",
         {WriteDataFile(), QStringLiteral("--separation"), QStringLiteral("-5")},
         "--separation"},
        {"bad zone", {WriteDataFile(), QStringLiteral("--zone"), QStringLiteral("1")}, "--zone"},
        {"no such station",
         {QStringLiteral("--station"), QStringLiteral("North")},
         "no station \"North\""},
    };
    for (const auto& c : cases) {
        const ToolRun r = Tool(c.args);
        EXPECT_NE(r.exitCode, 0) << c.name;
        EXPECT_TRUE(r.out.isEmpty()) << c.name;
        EXPECT_EQ(r.err.count('\n'), 1) << c.name << ": " << r.err.constData();
        EXPECT_TRUE(r.err.contains(c.says)) << c.name << ": " << r.err.constData();
    }
    const ToolRun help = Tool({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: ombrex-tool storms"));
}
