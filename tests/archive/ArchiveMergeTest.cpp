// Merging downloads into one station record, drift correction and opening into the tables,
// against real SQLite files.
#include "ArchiveTestSupport.h"

#include "analysis/RainSeries.h"
#include "data/DataFiles.h"
#include "ui/OmbrexError.h"

#include <QTimeZone>
#include <cstdlib>
#include <ctime>

namespace {

using Archive::Source;

const QDateTime kJune10(QDate(2009, 6, 10), QTime(9, 0), Qt::UTC);
const QDateTime kJune20(QDate(2009, 6, 20), QTime(9, 0), Qt::UTC);
const QDateTime kJuly1(QDate(2009, 7, 1), QTime(9, 0), Qt::UTC);

class Merge_ : public ArchiveTest {};

// Two downloads of one memory with records added in between, then a third after the memory
// was cleared: each record once and in order, the overlap checked, a gap before the new start.
TEST_F(Merge_, DownloadsJoinIntoOneRecordAndAClearedMemoryStartsANewSegment) {
    const LoggerMemory first = RainyMonth(At(2009, 6, 1, 8, 0), 40);
    const LoggerMemory second = RainyMonth(At(2009, 6, 22, 10, 0), 6);
    // By June 10 the logger held 25 records; by June 20 all 40.
    LoggerMemory early = first;
    early.Records.resize(25);
    for (const TRainRecord& r : early.Records)
        ASSERT_LT(r.DateTime, At(2009, 6, 10, 10, 0));
    StationArchive archive(m_path);
    const auto a1 = archive.Add(DownloadOf(first, 25, kJune10, 60));
    EXPECT_TRUE(a1.NewStation);
    EXPECT_TRUE(a1.NewSegment);
    EXPECT_EQ(a1.NewRecords, 26); // the start record and 25
    const auto a2 = archive.Add(DownloadOf(first, 40, kJune20, 60));
    EXPECT_FALSE(a2.NewStation);
    EXPECT_FALSE(a2.NewSegment);
    EXPECT_EQ(a2.SegmentId, a1.SegmentId);
    EXPECT_EQ(a2.NewRecords, 15);
    // The same download again adds nothing.
    EXPECT_EQ(archive.Add(DownloadOf(first, 40, kJune20.addSecs(60), 60)).NewRecords, 0);
    const auto a3 = archive.Add(DownloadOf(second, 6, kJuly1, 60));
    EXPECT_TRUE(a3.NewSegment);
    EXPECT_EQ(a3.NewRecords, 7);

    const auto stations = archive.Stations();
    ASSERT_EQ(stations.size(), 1u);
    EXPECT_EQ(stations[0].Name, QStringLiteral("GAUGE 7"));
    EXPECT_EQ(stations[0].Records, 41 + 7);
    EXPECT_EQ(stations[0].Downloads, 4);
    EXPECT_EQ(stations[0].FirstRecord, first.Start);
    EXPECT_EQ(stations[0].LastDownloadUtc, kJuly1);
    const auto segments = archive.Segments(a1.StationId);
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_EQ(segments[0].End, At(2009, 6, 20, 10, 1)); // the repeat at June 20 09:01 UTC, in UTC+1

    // Opened: the first memory's records once each, the gap said in the record, the second.
    archive.LoadStationIntoTables(a1.StationId);
    const auto e = TableEvents();
    ASSERT_EQ(e.size(), 41u + 2u + 7u + 1u);
    EXPECT_EQ(e[0].DateTime, first.Start);
    for (size_t i = 0; i < 40; ++i) {
        EXPECT_EQ(e[i + 1].DateTime, first.Records[i].DateTime) << i;
        EXPECT_EQ(e[i + 1].Count, first.Records[i].Count) << i;
    }
    EXPECT_EQ(e[41].Message, QString::fromUtf16(Analysis::kNotLogging));
    EXPECT_EQ(e[41].DateTime, At(2009, 6, 20, 10, 1));
    EXPECT_EQ(e[42].Message, QString::fromUtf16(Analysis::kLoggingAgain));
    EXPECT_EQ(e[42].DateTime, second.Start);
    EXPECT_EQ(e[43].DateTime, second.Start);
    EXPECT_EQ(e.back().DateTime, At(2009, 7, 1, 10, 0)); // the end of logging
    EXPECT_EQ(DataUnit::StartTime(), first.Start);
    EXPECT_GT(DataUnit::DailyCount(), 30);
    // The analysis sees the gap as a gap.
    const auto spans = LoggedSpansFromEvents();
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_EQ(spans[0].To, At(2009, 6, 20, 10, 1));
    EXPECT_EQ(spans[1].From, second.Start);
}

// A download whose overlap disagrees changes nothing, and the message says which record
// differs and how.
TEST_F(Merge_, ADisagreeingOverlapChangesNothingAndNamesTheRecord) {
    const LoggerMemory memory = RainyMonth(At(2009, 6, 1, 8, 0), 20);
    struct Case {
        const char* what;
        void (*change)(LoggerMemory&);
        const char* says;
    } cases[] = {
        {"a time", [](LoggerMemory& m) { m.Records[6].DateTime += 1.0 / 1440; }, "its time is"},
        {"a count", [](LoggerMemory& m) { m.Records[6].Count += 1; }, "its count is"},
        {"a record missing", [](LoggerMemory& m) { m.Records.erase(m.Records.begin() + 6); },
         "Record 7"},
    };
    for (const Case& c : cases) {
        QFile::remove(m_path);
        StationArchive archive(m_path);
        const auto first = archive.Add(DownloadOf(memory, 12, kJune10, 60));
        LoggerMemory other = memory;
        c.change(other);
        try {
            archive.Add(DownloadOf(other, 18, kJune20, 60));
            ADD_FAILURE() << c.what << ": added";
        } catch (const OmbrexError& e) {
            EXPECT_EQ(e.code(), StationArchive::kConflictCode) << c.what;
            EXPECT_TRUE(e.message().contains(QStringLiteral("Record 7"))) << e.what();
            EXPECT_TRUE(e.message().contains(QLatin1String(c.says))) << e.what();
            EXPECT_TRUE(e.message().contains(QStringLiteral("Nothing was added"))) << e.what();
        }
        EXPECT_EQ(archive.Downloads(first.StationId).size(), 1u) << c.what;
        EXPECT_EQ(archive.Station(first.StationId).Records, 13) << c.what;
    }
}

// Two tips in one minute are two records, both kept, and a repeat does not count as new.
TEST_F(Merge_, TwoRecordsInOneMinuteStayTwo) {
    LoggerMemory m;
    m.Start = At(2009, 6, 1, 8, 0);
    m.Add(At(2009, 6, 2, 14, 30), 1);
    m.Add(At(2009, 6, 2, 14, 30), 1);
    m.Add(At(2009, 6, 2, 14, 31), 2);
    StationArchive archive(m_path);
    const auto r = archive.Add(DownloadOf(m, 2, kJune10, 60));
    EXPECT_EQ(r.NewRecords, 3);
    EXPECT_EQ(archive.Add(DownloadOf(m, 3, kJune20, 60)).NewRecords, 1);
    archive.LoadStationIntoTables(r.StationId);
    const auto e = TableEvents();
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e[1].DateTime, e[2].DateTime);
    EXPECT_EQ(e[1].Count + e[2].Count, 2);
}

// Offsets measured at two downloads: 3 minutes behind on June 11, 6 minutes behind on June 21.
// Between anchors the correction is linear; after the last one it stays.
TEST_F(Merge_, DriftIsCorrectedLinearlyBetweenAnchors) {
    LoggerMemory m;
    m.Start = At(2009, 6, 1, 0, 0);
    const double third = 10.0 / 3.0;
    struct Point {
        double day;         // after the start, logger time
        int correctedShift; // minutes added by the correction
    } points[] = {{0.5 * third, 0}, {third, 1},      {2 * third, 2},
                  {10, 3},          {10 + third, 4}, {10 + 2 * third, 5}};
    for (const Point& p : points)
        m.Add(m.Start + std::round(p.day * 1440) / 1440, 1);
    StationArchive archive(m_path);
    // A logger 3 minutes behind shows June 11 00:57 when it is 01:00 (UTC+1).
    const QDateTime june11(QDate(2009, 6, 11), QTime(0, 0), Qt::UTC);
    const QDateTime june21(QDate(2009, 6, 21), QTime(0, 0), Qt::UTC);
    const auto first = archive.Add(DownloadOf(m, 4, june11, 60, 3));
    const auto dl = archive.Downloads(first.StationId);
    ASSERT_TRUE(dl[0].ClockOffsetSeconds.has_value());
    EXPECT_DOUBLE_EQ(*dl[0].ClockOffsetSeconds, -180);
    archive.Add(DownloadOf(m, 6, june21, 60, 6));
    archive.LoadStationIntoTables(first.StationId);
    const auto e = TableEvents();
    ASSERT_GE(e.size(), 7u);
    for (size_t i = 0; i < std::size(points); ++i)
        EXPECT_EQ(Text(e[i + 1].DateTime),
                  Text(m.Records[i].DateTime + points[i].correctedShift / 1440.0))
            << "record " << i + 1;
    // The segment's logging ends at the true time of the last download.
    EXPECT_EQ(e.back().DateTime, At(2009, 6, 21, 1, 0));

    // Told the clock was kept on UTC+2, the same readings say the logger ran an hour behind
    // more: the offsets and corrected times follow the zone.
    Archive::StationSettings s = archive.Settings(first.StationId);
    s.ZoneMinutes = 120;
    archive.SetSettings(first.StationId, s);
    EXPECT_DOUBLE_EQ(*archive.Downloads(first.StationId)[0].ClockOffsetSeconds, -180 - 3600);
    archive.LoadStationIntoTables(first.StationId);
    EXPECT_EQ(Text(TableEvents()[4].DateTime), Text(m.Records[3].DateTime + 63 / 1440.0));
}

// A logger kept on standard time read in winter and in summer from a PC that follows daylight
// saving: the status reply's offset differs by an hour, the drift is none.
TEST_F(Merge_, ADaylightSavingChangeIsNotTakenForDrift) {
    const QByteArray oldTz = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    LoggerMemory m;
    m.Start = At(2009, 2, 1, 8, 0); // standard time, the logger's zone UTC+1
    m.Add(At(2009, 3, 1, 12, 0), 1);
    m.Add(At(2009, 6, 1, 12, 0), 1);
    m.Add(At(2009, 7, 30, 12, 0), 1);
    StationArchive archive(m_path);
    const auto add = [&](size_t n, const QDateTime& pcLocal) {
        Archive::Addition a = DownloadOf(m, n, pcLocal.toUTC(), 60);
        // The status reply: PC local time minus the logger's clock (right, on UTC+1).
        const QDateTime utcWall = pcLocal.toUTC().addSecs(3600);
        const TDateTime loggerClock = FromQDateTime(QDateTime(utcWall.date(), utcWall.time()));
        const double offset = FromQDateTime(pcLocal) - loggerClock;
        a.Clock = Archive::ReadingFromStatus(offset, pcLocal);
        return archive.Add(a);
    };
    const QDateTime march(QDate(2009, 3, 15), QTime(12, 0), Qt::LocalTime);
    const QDateTime august(QDate(2009, 8, 1), QTime(12, 0), Qt::LocalTime);
    ASSERT_EQ(march.offsetFromUtc(), 3600);
    ASSERT_EQ(august.offsetFromUtc(), 7200);
    const auto first = add(1, march);
    add(3, august);
    const auto downloads = archive.Downloads(first.StationId);
    ASSERT_EQ(downloads.size(), 2u);
    EXPECT_DOUBLE_EQ(downloads[0].ClockOffsetSeconds.value_or(99), 0);
    EXPECT_DOUBLE_EQ(downloads[1].ClockOffsetSeconds.value_or(99), 0);
    archive.LoadStationIntoTables(first.StationId);
    const auto e = TableEvents();
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(e[i + 1].DateTime, m.Records[i].DateTime) << i;
    if (oldTz.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", oldTz);
    tzset();
}

// The opened station saved as a data file reads back as the same record.
TEST_F(Merge_, AnOpenedStationSavesAsADataFileThatLoadsBackTheSame) {
    const LoggerMemory m = RainyMonth(At(2009, 6, 1, 8, 0), 30);
    StationArchive archive(m_path);
    const auto r = archive.Add(DownloadOf(m, 20, kJune10, 60));
    archive.Add(DownloadOf(m, 30, kJune20, 60));
    archive.LoadStationIntoTables(r.StationId);
    const auto opened = TableEvents();
    const QString path = TestFolder() + QStringLiteral("/station.dat");
    DataUnit::SaveDataFile(path);
    DataUnit::ClearTables();
    const auto result = DataFiles::LoadDataFile(path);
    EXPECT_EQ(result.errors, 0);
    const auto loaded = TableEvents();
    ASSERT_EQ(loaded.size(), opened.size());
    for (size_t i = 0; i < opened.size(); ++i) {
        EXPECT_EQ(Text(loaded[i].DateTime), Text(opened[i].DateTime)) << i;
        EXPECT_EQ(loaded[i].Count, opened[i].Count) << i;
    }
}

// Files join a station as segments of their own; the same file twice adds nothing.
TEST_F(Merge_, DataFilesFormSegmentsOfTheirOwn) {
    const LoggerMemory m = RainyMonth(At(2008, 5, 1, 8, 0), 10);
    Archive::Addition file;
    file.Kind = Source::DataFile;
    file.Station = QStringLiteral("Hill farm");
    file.ZoneMinutes = 0;
    file.Records = m.Table(10, At(2008, 5, 30, 12, 0));
    StationArchive archive(m_path);
    const auto r = archive.Add(file);
    EXPECT_TRUE(r.NewStation);
    EXPECT_EQ(r.NewRecords, 12); // every line of a data file is a record
    EXPECT_EQ(archive.Add(file).NewRecords, 0);
    const auto segments = archive.Segments(r.StationId);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].End, At(2008, 5, 30, 12, 0)); // its last record
    EXPECT_EQ(archive.Downloads(r.StationId)[0].ClockOffsetSeconds, std::nullopt);
}

// A download whose check sum failed is stored, but its records wait for the user.
TEST_F(Merge_, ACheckSumFailureIsKeptApartUntilAccepted) {
    const LoggerMemory m = RainyMonth(At(2009, 6, 1, 8, 0), 12);
    StationArchive archive(m_path);
    Archive::Addition a = DownloadOf(m, 12, kJune10, 60);
    a.CrcOk = false;
    const auto r = archive.Add(a);
    EXPECT_TRUE(r.KeptApart);
    EXPECT_EQ(r.NewRecords, 0);
    auto summary = archive.Station(r.StationId);
    EXPECT_EQ(summary.Records, 0);
    EXPECT_EQ(summary.PendingDownloads, 1);
    EXPECT_EQ(archive.RawCapture(r.DownloadId), a.Raw);
    const auto accepted = archive.AcceptDownload(r.DownloadId);
    EXPECT_EQ(accepted.NewRecords, 13);
    summary = archive.Station(r.StationId);
    EXPECT_EQ(summary.Records, 13);
    EXPECT_EQ(summary.PendingDownloads, 0);
    const auto d = archive.Downloads(r.StationId);
    EXPECT_FALSE(d[0].CrcOk);
    EXPECT_TRUE(d[0].Accepted);
}

// Properties and flag decisions persist; a renamed station still takes its logger's downloads.
TEST_F(Merge_, SettingsAndFlagDecisionsPersist) {
    const LoggerMemory m = RainyMonth(At(2009, 6, 1, 8, 0), 12);
    int64_t id = 0;
    {
        StationArchive archive(m_path);
        id = archive.Add(DownloadOf(m, 6, kJune10, 60)).StationId;
        Archive::StationSettings s = archive.Settings(id);
        EXPECT_EQ(s.TestTipMinutes, 5);
        EXPECT_EQ(s.PreDownloadMinutes, 10);
        EXPECT_EQ(s.MinuteCeilingMmH, 300);
        EXPECT_EQ(s.HourCeilingMm, 120);
        EXPECT_EQ(s.DayCeilingMm, 500);
        s.Name = QStringLiteral("North field");
        s.Notes = QStringLiteral("moved 2 m east in May");
        s.TipTimeSeconds = 0.5;
        s.HourCeilingMm = 80;
        archive.SetSettings(id, s);
        archive.SetFlagDecision(id, {1, 3}, QLatin1Char('P'), Archive::FlagDecision::Accepted);
        archive.SetFlagDecision(id, {1, 3}, QLatin1Char('P'), Archive::FlagDecision::Dismissed);
        archive.SetFlagDecision(id, {1, 4}, QLatin1Char('D'), Archive::FlagDecision::Accepted);
        archive.ClearFlagDecision(id, {1, 4}, QLatin1Char('D'));
    }
    StationArchive archive(m_path);
    const Archive::StationSettings s = archive.Settings(id);
    EXPECT_EQ(s.Name, QStringLiteral("North field"));
    EXPECT_EQ(s.Notes, QStringLiteral("moved 2 m east in May"));
    EXPECT_EQ(s.TipTimeSeconds, 0.5);
    EXPECT_EQ(s.HourCeilingMm, 80);
    EXPECT_EQ(s.DayCeilingMm, 500);
    const auto flags = archive.FlagDecisions(id);
    ASSERT_EQ(flags.size(), 1u);
    EXPECT_EQ(flags[0].Flag, QLatin1Char('P'));
    EXPECT_EQ(flags[0].Decision, Archive::FlagDecision::Dismissed);
    const auto again = archive.Add(DownloadOf(m, 12, kJune20, 60));
    EXPECT_EQ(again.StationId, id);
    EXPECT_EQ(again.StationName, QStringLiteral("North field"));
    EXPECT_EQ(again.NewRecords, 6);
}

} // namespace

namespace {

// Anchors are taken in the order they were measured; one whose logger time went back (the
// clock set back without clearing) cannot be placed and is left out.
TEST(DriftAnchors, FollowTheOrderOfMeasurementAndSkipAClockSetBack) {
    const int64_t day = 86400;
    struct Case {
        const char* what;
        std::vector<std::pair<int64_t, double>> anchors;
        int64_t raw;
        double offset;
    } cases[] = {
        {"none", {}, 5 * day, 0},
        {"half way to one", {{10 * day, -180}}, 5 * day, -90},
        {"after the last", {{10 * day, -180}}, 12 * day, -180},
        {"between two", {{10 * day, -180}, {20 * day, -360}}, 15 * day, -270},
        {"given out of order", {{20 * day, -360}, {10 * day, -180}}, 15 * day, -270},
        {"set back", {{10 * day, -180}, {10 * day - 600, -900}}, 5 * day, -90},
        {"before the start", {{-day, 60}}, 5 * day, 0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(ArchiveTime::Drift(0, c.anchors).OffsetAt(c.raw), c.offset) << c.what;
}

} // namespace
