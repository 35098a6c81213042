// The standard exports read back by the tools their users have: pandas, netCDF4 and lxml.
#include "export/StandardExport.h"
#include "analysis/RainSeries.h"
#include "analysis/Storms.h"
#include "data/DataUnit.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/TestUtil.h"
#include "ui/OmbrexError.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <sys/mount.h>

using StandardExport::Format;
using StandardExport::Options;

namespace {

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0) {
    return EncodeDateTime(y, mo, d, h, mi);
}

struct Rec {
    TDateTime time;
    int32_t count;
    const char* message = "";
};

class StandardExport_ : public ::testing::Test {
protected:
    void SetUp() override {
        m_factor = DataUnit::BucketFactor;
        DataUnit::BucketFactor = 200; // 0.2 mm a tip
        DataUnit::ClearTables();
    }
    void TearDown() override {
        DataUnit::ClearTables();
        DataUnit::BucketFactor = m_factor;
    }
    static void Load(std::initializer_list<Rec> records) {
        DataUnit::ClearTables();
        for (const Rec& r : records)
            DataUnit::AppendEvent({r.time, r.count, QString::fromLatin1(r.message)});
    }
    // 1 March 2009, clock zone +01:00: a morning's logging, a gap, an afternoon's.
    static void LoadGapDay() {
        Load({{At(2009, 3, 1, 8, 0), 0},
              {At(2009, 3, 1, 8, 3), 2},
              {At(2009, 3, 1, 8, 4), 1},
              {At(2009, 3, 1, 8, 4), 1},
              {At(2009, 3, 1, 9, 10), 3},
              {At(2009, 3, 1, 9, 59), 1},
              {At(2009, 3, 1, 10, 0), 1},
              {At(2009, 3, 1, 10, 30), 0, "Not logging"},
              {At(2009, 3, 1, 13, 0), 0, "Logging again"},
              {At(2009, 3, 1, 13, 5), 2},
              {At(2009, 3, 1, 14, 0), 0}});
    }
    static Options Station(int interval = 60) {
        Options o;
        o.ZoneMinutes = 60;
        o.StationId = QStringLiteral("HY-0042");
        o.StationName = QStringLiteral("Upper Brook");
        o.IntervalMinutes = interval;
        return o;
    }

private:
    uint16_t m_factor = 10;
};

QString PathIn(const QString& name) {
    return TestFolder() + QLatin1Char('/') + name;
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

QJsonValue Get(const QJsonObject& o, const char* a, const char* b) {
    return o.value(QLatin1String(a)).toObject().value(QLatin1String(b));
}

QStringList Strings(const QJsonValue& v) {
    QStringList out;
    for (const QJsonValue& x : v.toArray())
        out << x.toString();
    return out;
}

// Numbers, with -1 for an empty cell.
std::vector<double> Numbers(const QJsonValue& v) {
    std::vector<double> out;
    for (const QJsonValue& x : v.toArray())
        out.push_back(x.isNull() ? -1.0 : x.toDouble());
    return out;
}

void ExpectNear(const std::vector<double>& got, const std::vector<double>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i], want[i], 1e-9) << "at " << i;
}

QStringList DirFiles(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

// Hourly totals of the gap day, worked by hand: nothing logged before 08:00; 08:00-09:00 holds
// 4 tips; 10:00-11:00 is partly logged (to 10:30) and holds its 1 tip; 11:00-13:00 is the gap;
// the end record at 14:00 makes 14:00-15:00 a logged hour with no rain.
TEST_F(StandardExport_, IntervalCsvLabelsByEndAndLeavesGapsEmpty) {
    LoadGapDay();
    const QString path = PathIn("hourly.csv");
    ASSERT_TRUE(StandardExport::Write(Format::IntervalCsv, path, Station()));
    const QJsonObject csv = ReadBack("csv", path);
    EXPECT_EQ(Strings(csv["columns"]), (QStringList{"time_local", "time_utc", "depth_mm"}));
    EXPECT_EQ(Get(csv, "dtypes", "time_local").toString(), "datetime64[ns, pytz.FixedOffset(60)]");
    EXPECT_EQ(Get(csv, "dtypes", "time_utc").toString(), "datetime64[ns, UTC]");
    const QStringList local = Strings(Get(csv, "values", "time_local"));
    ASSERT_EQ(local.size(), 15);
    EXPECT_EQ(local.front(), "2009-03-01T01:00:00+01:00");
    EXPECT_EQ(local.back(), "2009-03-01T15:00:00+01:00");
    EXPECT_EQ(Strings(Get(csv, "values", "time_utc")).front(), "2009-03-01T00:00:00+00:00");
    std::vector<double> want(8, -1.0);
    for (double v : {0.8, 0.8, 0.2, -1.0, -1.0, 0.4, 0.0})
        want.push_back(v);
    ExpectNear(Numbers(Get(csv, "values", "depth_mm")), want);
    const QStringList header = Strings(csv["header"]);
    for (const char* line : {"# station: Upper Brook", "# station id: HY-0042",
                             "# tip depth: 0.2 mm", "# corrections: none"})
        EXPECT_TRUE(header.contains(QLatin1String(line))) << line;
    EXPECT_TRUE(header.filter("# clock zone: UTC+01:00").size() == 1)
        << qPrintable(header.join(QLatin1Char(10)));
}

// --from starts the grid; --to ends the last interval; records outside do not count.
TEST_F(StandardExport_, RangeSetsTheGrid) {
    LoadGapDay();
    struct Case {
        TDateTime from, to;
        int interval;
        const char* first;
        const char* last;
        std::vector<double> depths;
    };
    for (const Case& c : {Case{At(2009, 3, 1, 8, 30),
                               At(2009, 3, 1, 10, 30),
                               60,
                               "2009-03-01T09:30:00+01:00",
                               "2009-03-01T10:30:00+01:00",
                               {0.6, 0.4}},
                          Case{At(2009, 3, 1, 8, 0),
                               At(2009, 3, 1, 8, 50),
                               20,
                               "2009-03-01T08:20:00+01:00",
                               "2009-03-01T09:00:00+01:00",
                               {0.8, 0.0, 0.0}}, // 08:50 rounds up to 09:00
                          Case{At(2009, 3, 1),
                               At(2009, 3, 2),
                               1440,
                               "2009-03-02T00:00:00+01:00",
                               "2009-03-02T00:00:00+01:00",
                               {2.2}}}) {
        Options o = Station(c.interval);
        o.From = c.from;
        o.To = c.to;
        const QString path = PathIn("range.csv");
        ASSERT_TRUE(StandardExport::Write(Format::IntervalCsv, path, o));
        const QJsonObject csv = ReadBack("csv", path);
        const QStringList local = Strings(Get(csv, "values", "time_local"));
        ASSERT_FALSE(local.isEmpty());
        EXPECT_EQ(local.front(), c.first);
        EXPECT_EQ(local.back(), c.last);
        ExpectNear(Numbers(Get(csv, "values", "depth_mm")), c.depths);
    }
}

TEST_F(StandardExport_, RecordCsvHasOneRowPerRecordWithFlags) {
    LoadGapDay();
    Options o = Station();
    o.Flags.resize(5);
    o.Flags[2] = {QStringLiteral("P"), {}};
    o.Flags[4] = {QStringLiteral("HD"), QStringLiteral("D")};
    const QString path = PathIn("records.csv");
    ASSERT_TRUE(StandardExport::Write(Format::RecordCsv, path, o));
    QJsonObject csv = ReadBack("csv", path);
    EXPECT_EQ(Strings(csv["columns"]),
              (QStringList{"time_local", "time_utc", "tips", "depth_mm", "flags"}));
    // The gap's two message records are not rows; start and end records are, with 0 tips.
    EXPECT_EQ(csv["rows"].toInt(), 9);
    EXPECT_EQ(Strings(Get(csv, "values", "time_local")).at(3), "2009-03-01T08:04:00+01:00");
    EXPECT_EQ(Strings(Get(csv, "values", "time_utc")).at(3), "2009-03-01T07:04:00+00:00");
    ExpectNear(Numbers(Get(csv, "values", "tips")), {0, 2, 1, 1, 3, 1, 1, 2, 0});
    ExpectNear(Numbers(Get(csv, "values", "depth_mm")), {0, 0.4, 0.2, 0.2, 0.6, 0.2, 0.2, 0.4, 0});
    EXPECT_EQ(Strings(Get(csv, "values", "flags")),
              (QStringList{"", "", "P", "", "HD", "", "", "", ""}));

    // Leaving out accepted flags drops the 09:10 record from the rows and from the totals.
    o.LeaveOutAcceptedFlags = true;
    ASSERT_TRUE(StandardExport::Write(Format::RecordCsv, path, o));
    csv = ReadBack("csv", path);
    EXPECT_EQ(csv["rows"].toInt(), 8);
    EXPECT_TRUE(Strings(csv["header"]).contains("# records with accepted flags: left out"));
    ASSERT_TRUE(StandardExport::Write(Format::IntervalCsv, PathIn("hourly.csv"), o));
    EXPECT_NEAR(ReadBack("csv", PathIn("hourly.csv"))["depth_sum"].toDouble(), 1.6, 1e-9);
}

// Several days of generated rain: every interval width sums to the rain series.
TEST_F(StandardExport_, IntervalSumsEqualTheRainSeries) {
    DataUnit::ClearTables();
    DataUnit::AppendEvent({At(2010, 7, 1, 6, 17), 0, {}});
    uint32_t seed = 7;
    TDateTime t = At(2010, 7, 1, 6, 20);
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 1103515245u + 12345u;
        t += double((seed >> 16) % 7) / 1440.0; // several records may share a minute
        DataUnit::AppendEvent({t, int32_t(1 + (seed >> 8) % 4), {}});
    }
    DataUnit::AppendEvent({t + 1.0 / 1440, 0, {}});
    double expected = 0;
    for (const RainMinute& m : RainSeriesFromEvents())
        expected += m.Tips * MillimetresPerTip();
    for (int interval : {1, 5, 7, 60, 1440}) {
        const QString path = PathIn("sums.csv");
        ASSERT_TRUE(StandardExport::Write(Format::IntervalCsv, path, Station(interval)));
        const QJsonObject csv = ReadBack("csv", path);
        EXPECT_NEAR(csv["depth_sum"].toDouble(), expected, 1e-6) << interval;
        const QJsonArray steps = csv["utc_steps"].toArray();
        ASSERT_EQ(steps.size(), 1);
        EXPECT_EQ(steps[0].toInt(), interval);
    }
}

// Europe's clocks went forward on 29 March 2009; a logger does not. Across that night the UTC
// column steps by exactly one hour, nothing repeated and nothing missing.
TEST_F(StandardExport_, RangeAcrossDaylightSavingChangeHasEveryHourOnce) {
    Load({{At(2009, 3, 28, 0, 0), 0},
          {At(2009, 3, 29, 1, 30), 1},
          {At(2009, 3, 29, 2, 30), 1},
          {At(2009, 3, 29, 3, 30), 1},
          {At(2009, 3, 30, 23, 59), 0}});
    Options o = Station(60);
    o.From = At(2009, 3, 28);
    o.To = At(2009, 3, 31);
    for (Format f : {Format::IntervalCsv, Format::RecordCsv}) {
        const QString path = PathIn("dst.csv");
        ASSERT_TRUE(StandardExport::Write(f, path, o));
        const QJsonObject csv = ReadBack("csv", path);
        EXPECT_TRUE(csv["utc_unique"].toBool());
        if (f == Format::IntervalCsv) {
            EXPECT_EQ(csv["rows"].toInt(), 72);
            const QJsonArray steps = csv["utc_steps"].toArray();
            ASSERT_EQ(steps.size(), 1);
            EXPECT_EQ(steps[0].toInt(), 60);
            const QStringList utc = Strings(Get(csv, "values", "time_utc"));
            EXPECT_EQ(utc.at(25), "2009-03-29T01:00:00+00:00"); // 02:00 at the logger
            EXPECT_EQ(utc.at(26), "2009-03-29T02:00:00+00:00");
        }
    }
}

TEST_F(StandardExport_, NetcdfIsACfTimeSeriesEqualToTheIntervalCsv) {
    LoadGapDay();
    Options o = Station(30);
    ASSERT_TRUE(StandardExport::Write(Format::IntervalCsv, PathIn("i.csv"), o));
    ASSERT_TRUE(StandardExport::Write(Format::NetCdf, PathIn("i.nc"), o));
    const QJsonObject csv = ReadBack("csv", PathIn("i.csv"));
    const QJsonObject nc = ReadBack("netcdf", PathIn("i.nc"));
    EXPECT_EQ(Get(nc, "global", "Conventions").toString(), "CF-1.8");
    EXPECT_EQ(Get(nc, "global", "featureType").toString(), "timeSeries");
    EXPECT_EQ(nc["station_id"].toString(), "HY-0042");
    EXPECT_EQ(nc["station_name"].toString(), "Upper Brook");
    EXPECT_EQ(Get(nc, "vars", "station_id")["cf_role"].toString(), "timeseries_id");
    const QJsonObject rain = Get(nc, "vars", "precipitation").toObject();
    EXPECT_EQ(rain["standard_name"].toString(), "thickness_of_rainfall_amount");
    EXPECT_EQ(rain["units"].toString(), "mm");
    EXPECT_EQ(rain["cell_methods"].toString(), "time: sum (interval: 30 minutes)");
    EXPECT_TRUE(rain.contains("_FillValue"));
    const QJsonObject time = Get(nc, "vars", "time").toObject();
    EXPECT_EQ(time["units"].toString(), "minutes since 1970-01-01 00:00:00");
    EXPECT_EQ(time["bounds"].toString(), "time_bnds");

    // The first interval ends at 2009-03-01T00:30+01:00, 2009-02-28T23:30Z: 1235863800 s after
    // the epoch, 20597730 minutes.
    const QJsonArray minutes = nc["time"].toArray();
    ASSERT_EQ(minutes.size(), csv["rows"].toInt());
    EXPECT_EQ(minutes[0].toInt(), 20597730);
    const QJsonArray bounds = nc["time_bnds"].toArray();
    EXPECT_EQ(bounds[0].toArray()[0].toInt(), 20597700);
    EXPECT_EQ(bounds[0].toArray()[1].toInt(), 20597730);
    QStringList utc = Strings(Get(csv, "values", "time_utc"));
    for (QString& u : utc)
        u = u.left(16) + 'Z';
    EXPECT_EQ(Strings(nc["time_iso"]), utc);
    // Gaps hold _FillValue, which netCDF4 masks: the same empty cells as the CSV.
    ExpectNear(Numbers(nc["precipitation"]), Numbers(Get(csv, "values", "depth_mm")));
}

TEST_F(StandardExport_, WaterMlHasOnePointPerIntervalAndNilOnGaps) {
    LoadGapDay();
    Options o = Station(60);
    ASSERT_TRUE(StandardExport::Write(Format::IntervalCsv, PathIn("i.csv"), o));
    o.StationName = QStringLiteral("Brook <upper> & \"lower\"");
    ASSERT_TRUE(StandardExport::Write(Format::WaterMl, PathIn("i.xml"), o));
    const QJsonObject csv = ReadBack("csv", PathIn("i.csv"));
    const QJsonObject xml = ReadBack("waterml", PathIn("i.xml"));
    EXPECT_EQ(xml["root"].toString(), "Collection");
    EXPECT_EQ(xml["root_ns"].toString(), "http://www.opengis.net/waterml/2.0");
    EXPECT_EQ(Get(xml, "nsmap", "om").toString(), "http://www.opengis.net/om/2.0");
    EXPECT_EQ(Get(xml, "nsmap", "gml").toString(), "http://www.opengis.net/gml/3.2");
    EXPECT_EQ(xml["observations"].toInt(), 1);
    EXPECT_EQ(xml["series"].toInt(), 1);
    EXPECT_EQ(Strings(xml["interpolation"]),
              QStringList{"http://www.opengis.net/def/waterml/2.0/interpolationType/TotalPrec"});
    EXPECT_EQ(Strings(xml["uom"]), QStringList{"mm"});
    EXPECT_EQ(Strings(xml["feature"]), QStringList{o.StationName});
    const QJsonArray points = xml["points"].toArray();
    const std::vector<double> depths = Numbers(Get(csv, "values", "depth_mm"));
    const QStringList local = Strings(Get(csv, "values", "time_local"));
    ASSERT_EQ(size_t(points.size()), depths.size());
    for (int i = 0; i < points.size(); ++i) {
        const QJsonObject p = points[i].toObject();
        EXPECT_EQ(p["time"].toString(), local[i]);
        if (depths[size_t(i)] < 0) {
            EXPECT_TRUE(p["value"].isNull());
            EXPECT_EQ(p["nilReason"].toString(), "http://www.opengis.net/def/nil/OGC/0/missing");
        } else {
            EXPECT_NEAR(p["value"].toDouble(), depths[size_t(i)], 1e-9);
            EXPECT_TRUE(p["nilReason"].isNull());
        }
    }
}

// One row per storm the analysis finds, every field of it.
TEST_F(StandardExport_, StormsCsvHasEveryFieldOfEachStorm) {
    LoadGapDay();
    const QString path = PathIn("storms.csv");
    ASSERT_TRUE(StandardExport::Write(Format::StormsCsv, path, Station()));
    const QJsonObject csv = ReadBack("csv", path);
    QStringList columns{"start_local",  "start_utc", "end_local", "end_utc",
                        "duration_min", "tips",      "depth_mm"};
    for (int32_t d : Analysis::kDurations)
        columns << QStringLiteral("i%1_mm_h").arg(d);
    columns << "energy_mj_ha"
            << "ei30"
            << "erosive";
    EXPECT_EQ(Strings(csv["columns"]), columns);
    const auto storms = Analysis::FindStorms(RainSeriesFromEvents(), MillimetresPerTip());
    ASSERT_EQ(csv["rows"].toInt(), int(storms.size()));
    for (size_t i = 0; i < storms.size(); ++i) {
        const Analysis::Storm& s = storms[i];
        EXPECT_NEAR(Numbers(Get(csv, "values", "duration_min"))[i], s.DurationMinutes, 1e-9);
        EXPECT_NEAR(Numbers(Get(csv, "values", "depth_mm"))[i], s.DepthMm, 1e-6);
        EXPECT_NEAR(Numbers(Get(csv, "values", "i30_mm_h"))[i], s.MaxIntensityMmH[4], 1e-3);
        EXPECT_NEAR(Numbers(Get(csv, "values", "ei30"))[i], s.EI30, 1e-3);
    }
}

// The worked example of the erosivity definition: 30 consecutive minutes of 1.0 mm each give
// E = 8.388 MJ/ha, I30 = 60 mm/h and EI30 = 503.3; the storm is erosive.
TEST_F(StandardExport_, StormsCsvHoldsTheWorkedErosivityExample) {
    DataUnit::ClearTables();
    DataUnit::AppendEvent({At(2009, 7, 1, 14, 0), 0, {}});
    for (int m = 0; m < 30; ++m)
        DataUnit::AppendEvent({At(2009, 7, 1, 15, m), 5, {}}); // 5 tips of 0.2 mm
    DataUnit::AppendEvent({At(2009, 7, 1, 20, 0), 0, {}});
    const QString path = PathIn("storm.csv");
    ASSERT_TRUE(StandardExport::Write(Format::StormsCsv, path, Station()));
    const QJsonObject csv = ReadBack("csv", path);
    ASSERT_EQ(csv["rows"].toInt(), 1);
    EXPECT_EQ(Strings(Get(csv, "values", "start_local")), QStringList{"2009-07-01T15:00:00+01:00"});
    EXPECT_EQ(Strings(Get(csv, "values", "end_utc")), QStringList{"2009-07-01T14:29:00+00:00"});
    ExpectNear(Numbers(Get(csv, "values", "duration_min")), {30});
    ExpectNear(Numbers(Get(csv, "values", "depth_mm")), {30});
    EXPECT_NEAR(Numbers(Get(csv, "values", "i30_mm_h"))[0], 60.0, 1e-3);
    EXPECT_NEAR(Numbers(Get(csv, "values", "i5_mm_h"))[0], 60.0, 1e-3);
    EXPECT_NEAR(Numbers(Get(csv, "values", "i60_mm_h"))[0], 30.0, 1e-3);
    EXPECT_NEAR(Numbers(Get(csv, "values", "energy_mj_ha"))[0], 8.388, 5e-4);
    EXPECT_NEAR(Numbers(Get(csv, "values", "ei30"))[0], 503.3, 0.05);
    EXPECT_EQ(Get(csv, "dtypes", "erosive").toString(), "bool");
    EXPECT_TRUE(Get(csv, "values", "erosive").toArray()[0].toBool());
}

// A cancel at any point, or a failure, leaves no file, and an old file as it was.
TEST_F(StandardExport_, CancelLeavesNoFileAndKeepsTheOld) {
    LoadGapDay();
    const QString folder = PathIn("out");
    QDir().mkpath(folder);
    const QString old = folder + "/old.csv";
    {
        QFile f(old);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old\n");
    }
    for (Format f : {Format::RecordCsv, Format::IntervalCsv, Format::StormsCsv, Format::NetCdf,
                     Format::WaterMl}) {
        // At the first report, and at the last (everything written, nothing renamed yet).
        for (bool atEnd : {false, true}) {
            Options o = Station(1);
            o.Progress = [&](double done) { return atEnd && done < 1.0; };
            EXPECT_FALSE(StandardExport::Write(f, folder + "/new.out", o));
            EXPECT_FALSE(StandardExport::Write(f, old, o));
        }
        EXPECT_EQ(DirFiles(folder), QStringList{"old.csv"});
        QFile f2(old);
        ASSERT_TRUE(f2.open(QIODevice::ReadOnly));
        EXPECT_EQ(f2.readAll(), "old\n");
    }
    // A mistyped range is refused before anything is written.
    Options wide = Station(1);
    wide.From = At(1900, 1, 1);
    wide.To = At(2100, 1, 1);
    EXPECT_THROW(StandardExport::Write(Format::NetCdf, folder + "/wide.nc", wide), OmbrexError);
    EXPECT_EQ(DirFiles(folder), QStringList{"old.csv"});
    try {
        StandardExport::Write(Format::RecordCsv, PathIn("no/such/folder/x.csv"), Station());
        ADD_FAILURE() << "no error";
    } catch (const OmbrexError& e) {
        EXPECT_TRUE(e.message().contains("x.csv")) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("does not exist")) << e.message().toStdString();
    }
}

TEST_F(StandardExport_, FullDiskOrReadOnlyFolderIsAClearErrorAndLeavesNothing) {
    DataUnit::ClearTables();
    for (int i = 0; i < 4000; ++i) // more rows than the small disk holds in any format
        DataUnit::AppendEvent({At(2009, 3, 1) + i / 1440.0, 1, {}});
    Options o = Station(1); // a few thousand rows a day: more than the small disk holds
    o.From = At(2009, 3, 1);
    o.To = At(2009, 3, 4);
    struct Case {
        const char* name;
        bool readOnly;
        const char* reason;
    };
    for (const Case& c : {Case{"full", false, "No space left on device"},
                          Case{"read-only", true, "Read-only file system"}}) {
        for (Format f : {Format::RecordCsv, Format::IntervalCsv, Format::NetCdf, Format::WaterMl}) {
            const QString folder = PathIn(c.name);
            SmallDisk disk(folder, "64k");
            if (!disk.mounted()) {
                GTEST_SKIP() << "cannot mount a small file system here: " << disk.why();
            }
            if (c.readOnly) {
                ASSERT_TRUE(disk.makeReadOnly());
            }
            const QString path = folder + "/rain." + StandardExport::FileExtension(f);
            try {
                StandardExport::Write(f, path, o);
                ADD_FAILURE() << c.name << " " << qPrintable(path) << ": no error";
            } catch (const OmbrexError& e) {
                EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
                EXPECT_TRUE(e.message().contains(c.reason)) << e.message().toStdString();
            }
            EXPECT_EQ(DirFiles(folder), QStringList{}) << c.name;
        }
    }
}

} // namespace
