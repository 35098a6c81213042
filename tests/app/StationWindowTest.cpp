// The station archive in the main window: every download kept, Open Station, Station
// Properties and the setting, with real archive files, real windows and the virtual logger.
#include "LoggerLinkSupport.h"

#include "app/AddToStationDialog.h"
#include "link/LoggerLink.h"
#include "app/OpenStationDialog.h"
#include "app/QtPrompts.h"
#include "app/SettingsStore.h"
#include "app/StationPropertiesDialog.h"
#include "app/StatusPanel.h"
#include "archive/ArchiveTime.h"
#include "archive/StationArchive.h"
#include "tests/sim/SimHarness.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestUtil.h"
#include "views/TChildText.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

using Prompts::Answer;
using Prompts::Kind;

template <class T> T* OpenDialog() {
    T* found = nullptr;
    WaitUntil(
        [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<T*>(w); d && d->isVisible())
                    found = d;
            return found != nullptr;
        },
        2000);
    return found;
}

TDateTime Minutes(TDateTime start, int minutes) {
    return ArchiveTime::FromSeconds(ArchiveTime::Seconds(start) + 60LL * minutes);
}

// A station of two segments: a month of rain read twice, then a cleared memory.
int64_t SeedStation() {
    StationArchive archive;
    Archive::Addition a;
    a.Kind = Archive::Source::Download;
    a.Station = QStringLiteral("GAUGE 7");
    a.Model = QStringLiteral("Hyetra 2.0");
    a.ZoneMinutes = 60;
    a.BucketFactor = 254;
    const TDateTime start = EncodeDateTime(2009, 6, 1, 8, 0);
    a.Records.push_back({start, 0, {}});
    for (int i = 0; i < 20; ++i)
        a.Records.push_back({Minutes(start, 600 + i * 90), 1 + i % 2, {}});
    a.Records.push_back({EncodeDateTime(2009, 6, 10, 10, 0), 0, {}});
    a.AddedUtc = QDateTime(QDate(2009, 6, 10), QTime(9, 0), Qt::UTC);
    const int64_t id = archive.Add(a).StationId;
    std::vector<TRainRecord> second{{EncodeDateTime(2009, 6, 12, 8, 0), 0, {}}};
    for (int i = 0; i < 5; ++i)
        second.push_back({Minutes(second[0].DateTime, 60 + i), 3, {}});
    second.push_back({EncodeDateTime(2009, 6, 20, 10, 0), 0, {}});
    a.Records = second;
    a.AddedUtc = QDateTime(QDate(2009, 6, 20), QTime(9, 0), Qt::UTC);
    archive.Add(a);
    return id;
}

TEST(StationWindow, OpenStationListsTheStationsAndOpensTheMergedRecord) {
    seedSettings(2, 1);
    SeedStation();
    ScriptedPrompts prompts;
    auto w = openMain();
    w->Action("MnuOpenStation")->trigger();
    auto* dialog = OpenDialog<OpenStationDialog>();
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(dialog->List->topLevelItemCount(), 1);
    const QTreeWidgetItem* row = dialog->List->topLevelItem(0);
    EXPECT_EQ(row->text(0), "GAUGE 7");
    EXPECT_EQ(row->text(1), "06/01/09 08:00");
    EXPECT_EQ(row->text(3), "2");  // downloads
    EXPECT_EQ(row->text(4), "27"); // records: 21 and 6
    dialog->List->itemDoubleClicked(dialog->List->topLevelItem(0), 0);
    ASSERT_TRUE(WaitUntil([&] { return DataUnit::EventCount() > 0; }, 2000));
    EXPECT_EQ(w->windowTitle(), "Ombrex V2.4 - Station GAUGE 7");
    EXPECT_EQ(DataUnit::BucketFactor, 254); // the station's collector
    EXPECT_TRUE(w->Action("MBF025")->isChecked());
    EXPECT_EQ(DataUnit::EventCount(), 21 + 2 + 6 + 1);
    EXPECT_TRUE(w->Action("MnuSave")->isEnabled());
    // The text report shows the merged record, the gap in it.
    TChildText* text = w->TextWindows().value(0);
    ASSERT_NE(text, nullptr);
    text->EventBtnClick();
    const QString report = text->PrintLines().join('\n');
    EXPECT_TRUE(report.contains("Not logging")) << report.toStdString();
    EXPECT_TRUE(report.contains("Logging again")) << report.toStdString();
    EXPECT_GT(DataUnit::DailyCount(), 15);
}

TEST(StationWindow, PropertiesRenameTheStationAndSetItsZone) {
    seedSettings(2, 1);
    const int64_t id = SeedStation();
    ScriptedPrompts prompts;
    auto w = openMain();
    w->OpenStation(id);
    w->Action("MnuStationProperties")->trigger();
    auto* dialog = OpenDialog<StationPropertiesDialog>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->NameEdit->text(), "GAUGE 7");
    EXPECT_EQ(dialog->ZoneBox->currentText(), "UTC+01:00");
    dialog->NameEdit->setText("North field");
    dialog->ZoneBox->setCurrentIndex(dialog->ZoneBox->findData(-300));
    dialog->NotesEdit->setPlainText("by the barn");
    dialog->OKBtn->click();
    EXPECT_EQ(w->windowTitle(), "Ombrex V2.4 - Station North field");
    StationArchive archive;
    const auto s = archive.Settings(id);
    EXPECT_EQ(s.Name, "North field");
    EXPECT_EQ(s.ZoneMinutes, -300);
    EXPECT_EQ(s.Notes, "by the barn");
}

TEST(StationWindow, KeepDownloadsIsTickedByDefaultAndRemembered) {
    seedSettings(2, 1);
    ScriptedPrompts prompts;
    {
        auto w = openMain();
        QAction* keep = w->Action("MnuKeepDownloads");
        ASSERT_NE(keep, nullptr);
        EXPECT_TRUE(keep->isChecked());
        keep->trigger();
        EXPECT_FALSE(keep->isChecked());
    }
    EXPECT_FALSE(SettingsStore().ReadBool("Settings", "Keep Downloads", true));
    auto w = openMain();
    EXPECT_FALSE(w->Action("MnuKeepDownloads")->isChecked());
}

// A damaged file where the archive should be: a clear error naming it, the file untouched,
// and the program goes on (the download itself is not lost).
TEST(StationWindow, ADamagedArchiveIsReportedAndLeftAlone) {
    seedSettings(2, 1);
    const QString path = StationArchive::DefaultArchivePath();
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QByteArray garbage(4096, 'x');
    f.write(garbage);
    f.close();
    ScriptedPrompts prompts;
    prompts.expectContaining(Kind::Error, path, Answer::Ok);
    auto w = openMain();
    w->Action("MnuOpenStation")->trigger();
    EXPECT_EQ(prompts.pending(), 0);
    EXPECT_EQ(OpenDialog<OpenStationDialog>(), nullptr);
    QFile back(path);
    ASSERT_TRUE(back.open(QIODevice::ReadOnly));
    EXPECT_EQ(back.readAll(), garbage);
}

// Two downloads from the virtual logger: the first makes the station, the second adds
// nothing new; the status line says what each gained, and the measured clock offset is the
// drift anchor.
TEST(StationWindow, EveryCompletedDownloadIsKeptInItsStation) {
    const QString memory = TestFolder() + "/memory.txt";
    SimProcess sim({"--port", "5", "--model", "2", "--fast", "--records", "300", "--seed", "3",
                    "--clock-offset", "-120", "--write-memory", memory});
    ASSERT_FALSE(sim.startLine().isEmpty());
    seedSettings(2, 5);
    ScriptedPrompts prompts;
    auto w = openMain();
    ASSERT_TRUE(autoDetect(*w));
    for (int round = 0; round < 2; ++round) {
        w->Action("MnuDownload")->trigger();
        ASSERT_TRUE(WaitUntil([&] { return !w->Link().DownloadActive(); }, 10000));
        const QString status = w->Panel()->StatusLabel->text();
        EXPECT_TRUE(status.contains(round == 0 ? "gained 301 new records" : "gained 0 new records"))
            << status.toStdString();
        EXPECT_TRUE(status.contains("Hyetra Sim")) << status.toStdString();
    }
    StationArchive archive;
    const auto stations = archive.Stations();
    ASSERT_EQ(stations.size(), 1u);
    EXPECT_EQ(stations[0].Records, 301);
    EXPECT_EQ(stations[0].Downloads, 2);
    const auto downloads = archive.Downloads(stations[0].Id);
    ASSERT_TRUE(downloads[0].ClockOffsetSeconds.has_value());
    // --clock-offset -120: the logger's clock two minutes behind.
    EXPECT_NEAR(*downloads[0].ClockOffsetSeconds, -120, 3);
    QFile raw(TestFolder() + "/download.txt");
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    EXPECT_EQ(archive.RawCapture(downloads[1].Id), raw.readAll());
}

} // namespace

namespace {

// A memory file for the virtual logger: start, then n records of one tip 90 minutes apart
// (record `changed`, 1-based, with two tips instead).
QString MemoryFile(const QString& name, const QString& start, int n, int changed = 0) {
    const QString path = TestFolder() + "/" + name;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    const QDateTime s = QDateTime::fromString(start, "MM/dd/yy HH:mm").addYears(100);
    f.write(("S," + s.toString("MM/dd/yy,HH:mm") + "\n").toLatin1());
    for (int i = 1; i <= n; ++i)
        f.write((s.addSecs(i * 5400).toString("MM/dd/yy,HH:mm") +
                 (i == changed ? ",0.02\n" : ",0.01\n"))
                    .toLatin1());
    return path;
}

struct Session {
    std::unique_ptr<SimProcess> sim;
};

// The virtual logger with this memory on COM5, found and read by the window.
bool DownloadFrom(TFMain& w, const QString& memory) {
    SimProcess sim({"--port", "5", "--model", "2", "--fast", "--memory", memory});
    if (sim.startLine().isEmpty() || !autoDetect(w))
        return false;
    w.Action("MnuDownload")->trigger();
    const bool done = WaitUntil([&] { return !w.Link().DownloadActive(); }, 10000);
    w.MnuDisconnectClick();
    return done;
}

} // namespace

// The logger read once, read again after more rain, read once more after its memory was
// cleared, then read with a record that does not match: the station keeps one record with a
// gap, and the mismatch changes nothing and says which record.
TEST(StationWindow, DownloadsOfOneLoggerMergeIntoOneRecord) {
    seedSettings(2, 5);
    ScriptedPrompts prompts;
    auto w = openMain();
    ASSERT_TRUE(DownloadFrom(*w, MemoryFile("a.txt", "06/01/26 08:00", 20)));
    EXPECT_TRUE(w->Panel()->StatusLabel->text().contains("gained 21 new records"))
        << w->Panel()->StatusLabel->text().toStdString();
    ASSERT_TRUE(DownloadFrom(*w, MemoryFile("b.txt", "06/01/26 08:00", 30)));
    EXPECT_TRUE(w->Panel()->StatusLabel->text().contains("gained 10 new records"))
        << w->Panel()->StatusLabel->text().toStdString();
    ASSERT_TRUE(DownloadFrom(*w, MemoryFile("c.txt", "07/01/26 08:00", 5)));
    EXPECT_TRUE(w->Panel()->StatusLabel->text().contains("gained 6 new records"));
    prompts.expectContaining(Kind::Error, "Record 12 of the download differs", Answer::Ok);
    ASSERT_TRUE(DownloadFrom(*w, MemoryFile("d.txt", "06/01/26 08:00", 30, 12)));
    EXPECT_EQ(prompts.pending(), 0);
    EXPECT_TRUE(w->Panel()->StatusLabel->text().contains("not kept"));

    StationArchive archive;
    const int64_t id = archive.FindStation("Hyetra Sim");
    ASSERT_NE(id, 0);
    EXPECT_EQ(archive.Station(id).Records, 31 + 6);
    EXPECT_EQ(archive.Downloads(id).size(), 3u);
    w->OpenStation(id);
    EXPECT_EQ(w->windowTitle(), "Ombrex V2.4 - Station Hyetra Sim");
    EXPECT_EQ(DataUnit::EventCount(), 31 + 2 + 6 + 1);
    bool out = false;
    EXPECT_EQ(DataUnit::GetEvent(31, out).Message, "Not logging");
    EXPECT_EQ(DataUnit::GetEvent(32, out).Message, "Logging again");
}

// Pictures for the note, under Xvfb with the real prompts: OMBREX_SHOTS names the folder.
TEST(StationWindow, ShotsForTheNote) {
    const QString folder = qEnvironmentVariable("OMBREX_SHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "set OMBREX_SHOTS to a folder to take the pictures";
    const auto shoot = [&](const QString& name) {
        SpinFor(800);
        QProcess::execute("import", {"-window", "root", folder + "/" + name});
    };
    seedSettings(2, 5);
    ScriptedPrompts prompts;
    prompts.allowAny(Answer::Ok);
    auto w = openMain();
    w->resize(1300, 700);
    w->MnuTileClick();
    ASSERT_TRUE(DownloadFrom(*w, MemoryFile("a.txt", "11/20/26 08:00", 40)));
    ASSERT_TRUE(DownloadFrom(*w, MemoryFile("b.txt", "11/20/26 08:00", 90)));
    shoot("archive-second-download.png"); // the status line: what the station gained
    ASSERT_TRUE(DownloadFrom(*w, MemoryFile("c.txt", "12/05/26 08:00", 40)));
    StationArchive archive;
    w->OpenStation(archive.FindStation("Hyetra Sim"));
    shoot("archive-merged.png");
    // A mismatching overlap, as the user sees it: the real message box.
    QtPrompts real;
    Prompts::Install(&real);
    QTimer::singleShot(4000, [&] {
        shoot("archive-disagreeing.png");
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    DownloadFrom(*w, MemoryFile("d.txt", "11/20/26 08:00", 90, 12));
    Prompts::Install(&prompts);
    w->Action("MnuOpenStation")->trigger();
    shoot("archive-open-station.png");
    if (auto* d = OpenDialog<OpenStationDialog>())
        d->close();
}

// An old data file joins a new station by hand; the window opens the station.
TEST(StationWindow, AddDataFileToStationMakesTheStationAndOpensIt) {
    seedSettings(2, 1);
    const QString file = TestFolder() + "/2008.dat";
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("05/01/08,08:00,0.00\r\n05/02/08,09:10,0.05\r\n05/02/08,09:10,0.01\r\n");
    f.close();
    ScriptedPrompts prompts;
    prompts.expectOpenFile(file);
    auto w = openMain();
    w->Action("MnuAddToStation")->trigger();
    auto* dialog = OpenDialog<AddToStationDialog>();
    ASSERT_NE(dialog, nullptr);
    dialog->StationBox->setCurrentText("Hill farm");
    dialog->OKBtn->click();
    EXPECT_EQ(w->windowTitle(), "Ombrex V2.4 - Station Hill farm");
    EXPECT_TRUE(w->Panel()->StatusLabel->text().contains("gained 3 new records"))
        << w->Panel()->StatusLabel->text().toStdString();
    EXPECT_EQ(DataUnit::EventCount(), 3);
    StationArchive archive;
    const auto d = archive.Downloads(archive.FindStation("Hill farm"));
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].Kind, Archive::Source::DataFile);
}

// A download whose check sum failed is kept apart; accepted in Open Station, it joins.
TEST(StationWindow, ACheckSumFailureIsKeptApartUntilAccepted) {
    SimProcess sim(
        {"--port", "5", "--model", "2", "--fast", "--records", "50", "--fault", "wrong-crc"});
    ASSERT_FALSE(sim.startLine().isEmpty());
    seedSettings(2, 5);
    ScriptedPrompts prompts;
    prompts.expectContaining(Kind::Error, "CRC Error!", Answer::Ok);
    auto w = openMain();
    ASSERT_TRUE(autoDetect(*w));
    w->Action("MnuDownload")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !w->Link().DownloadActive(); }, 10000));
    EXPECT_TRUE(w->Panel()->StatusLabel->text().contains("apart"))
        << w->Panel()->StatusLabel->text().toStdString();
    {
        StationArchive archive;
        const auto s = archive.Stations();
        ASSERT_EQ(s.size(), 1u);
        EXPECT_EQ(s[0].Records, 0);
        EXPECT_EQ(s[0].PendingDownloads, 1);
    }
    w->Action("MnuOpenStation")->trigger();
    auto* dialog = OpenDialog<OpenStationDialog>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->List->topLevelItem(0)->text(0).contains("1 kept apart"));
    ASSERT_TRUE(dialog->AcceptBtn->isVisible());
    prompts.expectContaining(Kind::Confirm, "check sum of these downloads failed", Answer::Yes);
    dialog->AcceptBtn->click();
    EXPECT_EQ(prompts.pending(), 0);
    StationArchive archive;
    const auto s = archive.Stations();
    EXPECT_EQ(s[0].Records, 51);
    EXPECT_EQ(s[0].PendingDownloads, 0);
    EXPECT_EQ(w->windowTitle(), "Ombrex V2.4 - Station Hyetra Sim");
}

// The virtual logger goes on logging between downloads, its clock behind: three downloads of
// one memory join one segment, each adding what was logged since, and the records are
// corrected linearly from the start (clock right) to the offset the status reply measured.
TEST(StationWindow, AGrowingMemoryAndADriftingClockEndToEnd) {
    // Ten days of memory, a record a day at 12:00 logger time, the last yesterday.
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime start(now.date().addDays(-10), QTime(8, 0));
    const QString memory = TestFolder() + "/memory.txt";
    {
        QFile f(memory);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(("S," + start.toString("MM/dd/yy,HH:mm") + "\n").toLatin1());
        for (int day = 1; day <= 9; ++day)
            f.write((QDateTime(start.date().addDays(day), QTime(12, 0)).toString("MM/dd/yy,HH:mm") +
                     ",0.01\n")
                        .toLatin1());
    }
    const QString state = TestFolder() + "/state.json";
    seedSettings(2, 5);
    ScriptedPrompts prompts;
    auto w = openMain();
    const auto download = [&] {
        w->Action("MnuDownload")->trigger();
        return WaitUntil([&] { return !w->Link().DownloadActive(); }, 10000);
    };
    {
        // Three minutes behind at the first download; it logs three more records after each.
        SimProcess sim({"--port", "5", "--model", "2", "--fast", "--memory", memory,
                        "--clock-offset", "-180", "--grow", "3", "--state", state});
        ASSERT_FALSE(sim.startLine().isEmpty());
        ASSERT_TRUE(autoDetect(*w));
        ASSERT_TRUE(download());
        EXPECT_TRUE(w->Panel()->StatusLabel->text().contains("gained 10 new records"))
            << w->Panel()->StatusLabel->text().toStdString();
        ASSERT_TRUE(download());
        EXPECT_TRUE(w->Panel()->StatusLabel->text().contains("gained 3 new records"))
            << w->Panel()->StatusLabel->text().toStdString();
        w->MnuDisconnectClick();
    }
    {
        // Later: the same logger, its memory and clock kept, the clock losing 5 %.
        SimProcess sim({"--port", "5", "--model", "2", "--fast", "--state", state, "--clock-rate",
                        "-50000", "--grow", "3"});
        ASSERT_FALSE(sim.startLine().isEmpty());
        ASSERT_TRUE(autoDetect(*w));
        ASSERT_TRUE(download());
        EXPECT_TRUE(w->Panel()->StatusLabel->text().contains("gained 3 new records"))
            << w->Panel()->StatusLabel->text().toStdString();
        w->MnuDisconnectClick();
    }
    StationArchive archive;
    const int64_t id = archive.FindStation("Hyetra Sim");
    ASSERT_EQ(archive.Segments(id).size(), 1u);
    const auto downloads = archive.Downloads(id);
    ASSERT_EQ(downloads.size(), 3u);
    EXPECT_NEAR(downloads[0].ClockOffsetSeconds.value_or(0), -180, 3);
    EXPECT_NEAR(downloads[2].ClockOffsetSeconds.value_or(0), -180, 3);
    w->OpenStation(id);
    // The offset grew from 0 at the start to 3 minutes at the first download, ten days on:
    // day k's record is corrected by about 0.3 k minutes.
    bool out = false;
    for (int day = 1; day <= 9; ++day) {
        const TRainRecord r = DataUnit::GetEvent(day, out);
        const TDateTime raw = FromQDateTime(QDateTime(start.date().addDays(day), QTime(12, 0)));
        const double shift = (r.DateTime - raw) * 1440;
        EXPECT_NEAR(shift, 0.3 * day, 0.75) << "day " << day;
    }
}
