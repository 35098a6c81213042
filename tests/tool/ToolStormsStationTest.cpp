// ombrex-tool storms --station: a station made with ombrex-tool add, analysed with its own
// collector, clock zone, tip time constant and the flags the user accepted.
#include "tests/archive/ArchiveTestSupport.h"

#include "app/SettingsKeys.h"
#include "app/SettingsStore.h"

#include <QProcess>

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out, err;
};

ToolRun Tool(const QStringList& args) {
    QProcess p;
    p.start(qEnvironmentVariable("OMBREX_BINARY_DIR") + QStringLiteral("/bin/ombrex-tool"), args);
    EXPECT_TRUE(p.waitForFinished(120000)) << args.join(' ').toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

// The storm table: the note line, then one map of column to value a storm.
struct StormTable {
    QString note;
    QStringList columns;
    std::vector<QStringList> rows;
    QString at(size_t row, const QString& column) const {
        const qsizetype c = columns.indexOf(column);
        return c < 0 || row >= rows.size() ? QString() : rows[row].value(c);
    }
};

StormTable Table(const QString& out) {
    StormTable t;
    QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    if (lines.size() < 2)
        return t;
    t.note = lines.takeFirst();
    t.columns = lines.takeFirst().split(',');
    for (const QString& line : lines)
        t.rows.push_back(line.split(','));
    return t;
}

// The dynamic calibration's definition: n tips of h mm in a minute become n h 60 / (60 - n d).
double Corrected(int n, double h, double d) {
    return n * h * 60 / (60 - n * d);
}

} // namespace

class ToolStorms_ : public ArchiveTest {};

TEST_F(ToolStorms_, AStationsSettingsAndAcceptedFlagsShapeItsStorms) {
    // Test tips two minutes after the memory was cleared (flag I), then a storm days later:
    // 10 tips in one minute and 1 in the next.
    LoggerMemory memory;
    memory.Start = At(2009, 6, 1, 8, 0);
    memory.Add(At(2009, 6, 1, 8, 2), 2);
    memory.Add(At(2009, 6, 5, 14, 0), 10);
    memory.Add(At(2009, 6, 5, 14, 1), 1);
    const QString capture = TestFolder() + "/download.txt";
    {
        QFile f(capture);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(memory.Capture(3));
    }
    const QString path = TestFolder() + "/team.sqlite";
    ToolRun r = Tool({"add", "--archive", path, "--station", "Hill farm", capture});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    int64_t id = 0;
    {
        StationArchive archive(path);
        id = archive.FindStation("Hill farm");
        Archive::StationSettings s = archive.Settings(id);
        EXPECT_EQ(s.BucketFactor, 10); // 0.254 mm a tip
        s.ZoneMinutes = 60;
        archive.SetSettings(id, s);
    }
    const QStringList storms{"storms", "--station", "Hill farm", "--archive", path};
    r = Tool(storms);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    StormTable t = Table(r.out);
    ASSERT_EQ(t.rows.size(), 2u) << r.out.toStdString();
    EXPECT_TRUE(t.note.contains("station \"Hill farm\"")) << t.note.toStdString();
    EXPECT_EQ(t.at(1, "start_local"), "2009-06-05T14:00+01:00");
    EXPECT_EQ(t.at(1, "start_utc"), "2009-06-05T13:00Z");
    EXPECT_NEAR(t.at(1, "depth_mm").toDouble(), 11 * 0.254, 1e-9);
    EXPECT_FALSE(t.columns.contains("corrected_depth_mm")); // no tip time constant yet

    {
        StationArchive archive(path);
        Archive::StationSettings s = archive.Settings(id);
        s.TipTimeSeconds = 0.45;
        archive.SetSettings(id, s);
    }
    r = Tool(storms);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    t = Table(r.out);
    ASSERT_EQ(t.rows.size(), 2u) << r.out.toStdString();
    EXPECT_TRUE(t.note.contains("tip time constant of 0.45 s")) << t.note.toStdString();
    EXPECT_NEAR(t.at(1, "depth_mm").toDouble(), 11 * 0.254, 1e-9); // the raw depth stays
    // 10 tips a minute: 2.54 mm become 2.75 mm.
    EXPECT_NEAR(Corrected(10, 0.254, 0.45), 2.7459, 1e-4);
    EXPECT_NEAR(t.at(1, "corrected_depth_mm").toDouble(),
                Corrected(10, 0.254, 0.45) + Corrected(1, 0.254, 0.45), 1e-6);

    // The test tips accepted as flagged and "Leave out accepted flags" on: they are no storm.
    {
        StationArchive archive(path);
        archive.SetFlagDecision(id, {archive.Segments(id).at(0).Id, 1}, QChar('I'),
                                Archive::FlagDecision::Accepted);
    }
    r = Tool(storms);
    EXPECT_EQ(Table(r.out).rows.size(), 2u) << "the switch is off";
    SettingsStore().WriteBool(SettingsKeys::Analysis, SettingsKeys::LeaveOutAcceptedFlags, true);
    r = Tool(storms);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    t = Table(r.out);
    ASSERT_EQ(t.rows.size(), 1u) << r.out.toStdString();
    EXPECT_TRUE(t.note.contains("Accepted flags left out")) << t.note.toStdString();
    EXPECT_EQ(t.at(0, "start_local"), "2009-06-05T14:00+01:00");

    r = Tool({"storms", "--station", "Nowhere", "--archive", path});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains("no station \"Nowhere\"")) << r.err.toStdString();
}
