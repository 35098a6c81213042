// The quality side of an opened station: its settings, the archive's times and the user's
// decisions on flags kept in the archive; the quality settings in Station Properties.
#include "LoggerLinkSupport.h"

#include "analysis/QualityState.h"
#include "app/StationPropertiesDialog.h"
#include "app/TFMain.h"
#include "archive/ArchiveTime.h"
#include "archive/StationArchive.h"
#include "data/DataUnit.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestUtil.h"
#include "views/TChildQuality.h"

#include <QAction>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TDateTime Local(int d, int h, int mi) {
    return EncodeDateTime(2009, 6, d, h, mi);
}

// One logger read twice, with a clock zone of UTC+01:00: a test tip two minutes after the
// memory was cleared (08:00 on the 1st), rain in between, a test tip five minutes before the
// first download (10:00 on the 10th, 09:00 UTC); the second download extends the record.
Archive::Addition Download(bool second) {
    Archive::Addition a;
    a.Kind = Archive::Source::Download;
    a.Station = QStringLiteral("GAUGE 7");
    a.Model = QStringLiteral("Hyetra 2.0");
    a.ZoneMinutes = 60;
    a.BucketFactor = 254;
    a.Records = {{Local(1, 8, 0), 0, {}},
                 {Local(1, 8, 2), 1, {}},
                 {Local(4, 14, 0), 2, {}},
                 {Local(4, 14, 1), 3, {}},
                 {Local(10, 9, 55), 1, {}}};
    if (second)
        for (int i = 0; i < 4; ++i)
            a.Records.push_back({Local(15, 16, i), 2, {}});
    a.Records.push_back({second ? Local(20, 10, 0) : Local(10, 10, 0), 0, {}});
    a.AddedUtc = QDateTime(QDate(2009, 6, second ? 20 : 10), QTime(9, 0), Qt::UTC);
    return a;
}

int Row(TDateTime t) {
    for (int32_t i = 0; i < DataUnit::EventCount(); ++i) {
        bool out = false;
        const TRainRecord r = DataUnit::GetEvent(i, out);
        if (std::abs(r.DateTime - t) < 1e-6 && r.Count > 0)
            return i;
    }
    return -1;
}

std::optional<Analysis::FlagVerdict> Verdict(TDateTime t, char letter) {
    const auto d = Analysis::FlagDecisions().Find({Row(t), letter});
    return d ? std::optional(d->Verdict) : std::nullopt;
}

StationPropertiesDialog* PropertiesDialog(TFMain& w) {
    w.Action("MnuStationProperties")->trigger();
    StationPropertiesDialog* found = nullptr;
    WaitUntil(
        [&] {
            for (QWidget* t : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<StationPropertiesDialog*>(t); d && d->isVisible())
                    found = d;
            return found != nullptr;
        },
        2000);
    return found;
}

void Type(QAbstractSpinBox* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
}

} // namespace

// Flags I and D come from the archive's times only: the default context knows neither the
// clock setting nor the download. Accept one, dismiss the other, close the program, open the
// station again, merge a later download: both decisions stay on their records.
TEST(StationQuality, DecisionsAreKeptWithTheStationAndFollowTheirRecords) {
    seedSettings(2, 1);
    int64_t id = 0;
    {
        StationArchive archive;
        id = archive.Add(Download(false)).StationId;
        Archive::StationSettings s = archive.Settings(id);
        s.HourCeilingMm = 5; // the 14:00 hour (5 tips of 0.254 mm) stays under it
        archive.SetSettings(id, s);
    }
    ScriptedPrompts prompts;
    {
        auto w = openMain();
        w->OpenStation(id);
        EXPECT_EQ(Analysis::ActiveQualitySettings().HourCeilingMm, 5);
        ASSERT_EQ(Analysis::ActiveQualityContext().Downloads.size(), 1u);
        EXPECT_NEAR(Analysis::ActiveQualityContext().Downloads[0], Local(10, 10, 0), 1e-6);
        const std::vector<std::string> flags = Analysis::ActiveFlags();
        const int start = Row(Local(1, 8, 2));
        const int before = Row(Local(10, 9, 55));
        ASSERT_GE(start, 0);
        ASSERT_GE(before, 0);
        EXPECT_NE(flags[size_t(start)].find('I'), std::string::npos) << flags[size_t(start)];
        EXPECT_NE(flags[size_t(before)].find('D'), std::string::npos) << flags[size_t(before)];
        EXPECT_EQ(flags[size_t(Row(Local(4, 14, 0)))], "");

        // The verdicts as the user gives them, in the quality window.
        w->Action("MnuQuality")->trigger();
        auto* quality = qobject_cast<TChildQuality*>(w->ActiveChild());
        ASSERT_NE(quality, nullptr);
        auto listed = [&](int record, char letter) {
            const auto& rows = quality->Rows();
            for (size_t k = 0; k < rows.size(); ++k)
                if (rows[k].Record == record && rows[k].Letter == letter)
                    return k;
            return rows.size();
        };
        ASSERT_LT(listed(start, 'I'), quality->Rows().size());
        ASSERT_LT(listed(before, 'D'), quality->Rows().size());
        quality->DecideRows({listed(start, 'I')}, Analysis::FlagVerdict::Accepted);
        quality->DecideRows({listed(before, 'D')}, Analysis::FlagVerdict::Dismissed);
        EXPECT_EQ(Verdict(Local(1, 8, 2), 'I'), Analysis::FlagVerdict::Accepted);
        // Other data in the tables: back to the defaults and decisions in memory.
        w->NoDataExecute();
        EXPECT_TRUE(Analysis::FlagDecisions().All().empty());
        EXPECT_EQ(Analysis::ActiveQualitySettings().HourCeilingMm, 120);
        EXPECT_TRUE(Analysis::ActiveQualityContext().Downloads.empty());
    }
    {
        StationArchive archive;
        const auto stored = archive.FlagDecisions(id);
        ASSERT_EQ(stored.size(), 2u);
        for (const auto& d : stored)
            EXPECT_LT(std::abs(d.DecidedAtUtc.secsTo(QDateTime::currentDateTimeUtc())), 600);
    }
    {
        auto w = openMain();
        w->OpenStation(id);
        EXPECT_EQ(Verdict(Local(1, 8, 2), 'I'), Analysis::FlagVerdict::Accepted);
        EXPECT_EQ(Verdict(Local(10, 9, 55), 'D'), Analysis::FlagVerdict::Dismissed);
        EXPECT_EQ(Analysis::FlagDecisions().All().size(), 2u);
    }
    {
        StationArchive archive;
        const Archive::AddResult r = archive.Add(Download(true));
        ASSERT_FALSE(r.NewSegment);
        ASSERT_EQ(r.NewRecords, 4);
        // An older file puts rows before the record: every table index after it moves.
        Archive::Addition file;
        file.Kind = Archive::Source::DataFile;
        file.Station = QStringLiteral("GAUGE 7");
        file.Records = {{EncodeDateTime(2009, 5, 1, 8, 0), 0, {}},
                        {EncodeDateTime(2009, 5, 2, 9, 0), 1, {}},
                        {EncodeDateTime(2009, 5, 3, 9, 0), 0, {}}};
        ASSERT_TRUE(archive.Add(file).NewSegment);
    }
    auto w = openMain();
    w->OpenStation(id);
    EXPECT_EQ(Analysis::ActiveQualityContext().Downloads.size(), 2u);
    ASSERT_GT(Row(Local(1, 8, 2)), 2);
    EXPECT_EQ(Verdict(Local(1, 8, 2), 'I'), Analysis::FlagVerdict::Accepted);
    EXPECT_EQ(Verdict(Local(10, 9, 55), 'D'), Analysis::FlagVerdict::Dismissed);
    EXPECT_EQ(Verdict(Local(15, 16, 0), 'H'), std::nullopt);
    // A decision taken back leaves the archive too.
    Analysis::FlagDecisions().Remove({Row(Local(10, 9, 55)), 'D'});
    StationArchive archive;
    EXPECT_EQ(archive.FlagDecisions(id).size(), 1u);
}

// The quality and calibration settings through the dialog as a user fills it: typed values
// and Enter save them and the analysis takes them; Escape and closing the window change nothing.
TEST(StationQuality, PropertiesHoldTheCeilingsWindowsAndTipTimeConstant) {
    seedSettings(2, 1);
    int64_t id = 0;
    {
        StationArchive archive;
        id = archive.Add(Download(false)).StationId;
    }
    ScriptedPrompts prompts;
    auto w = openMain();
    w->OpenStation(id);

    StationPropertiesDialog* dialog = PropertiesDialog(*w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->TipTimeEdit->value(), 0); // a hint, never a default
    const auto* hint = dialog->findChild<QLabel*>("TipTimeHint");
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->text().contains("0.45 s is typical of a common 0.254 mm bucket"));
    EXPECT_EQ(dialog->TestTipEdit->value(), 5);
    EXPECT_EQ(dialog->PreDownloadEdit->value(), 10);
    EXPECT_EQ(dialog->MinuteCeilingEdit->value(), 300);
    EXPECT_EQ(dialog->HourCeilingEdit->value(), 120);
    EXPECT_EQ(dialog->DayCeilingEdit->value(), 500);

    Type(dialog->TestTipEdit, "3");
    Type(dialog->PreDownloadEdit, "15");
    Type(dialog->MinuteCeilingEdit, "250");
    Type(dialog->HourCeilingEdit, "80");
    Type(dialog->DayCeilingEdit, "400");
    Type(dialog->TipTimeEdit, "0.45");
    QTest::keyClick(dialog->TipTimeEdit, Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return StationArchive().Settings(id).TipTimeSeconds > 0; }, 2000));
    const auto saved = StationArchive().Settings(id);
    EXPECT_EQ(saved.TestTipMinutes, 3);
    EXPECT_EQ(saved.PreDownloadMinutes, 15);
    EXPECT_DOUBLE_EQ(saved.MinuteCeilingMmH, 250);
    EXPECT_DOUBLE_EQ(saved.HourCeilingMm, 80);
    EXPECT_DOUBLE_EQ(saved.DayCeilingMm, 400);
    EXPECT_DOUBLE_EQ(saved.TipTimeSeconds, 0.45);
    // The views work on the new settings at once.
    const Analysis::QualitySettings& active = Analysis::ActiveQualitySettings();
    EXPECT_EQ(active.StartWindowMinutes, 3);
    EXPECT_EQ(active.DownloadWindowMinutes, 15);
    EXPECT_DOUBLE_EQ(active.RateCeilingMmH, 250);
    EXPECT_DOUBLE_EQ(active.TipTimeConstantS, 0.45);

    for (bool escape : {true, false}) {
        dialog = PropertiesDialog(*w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_DOUBLE_EQ(dialog->TipTimeEdit->value(), 0.45);
        Type(dialog->TipTimeEdit, "0");
        Type(dialog->HourCeilingEdit, "60");
        if (escape)
            QTest::keyClick(dialog->HourCeilingEdit, Qt::Key_Escape);
        else
            dialog->close();
        ASSERT_TRUE(WaitUntil([&] { return !dialog->isVisible(); }, 2000));
        QApplication::processEvents();
        const auto kept = StationArchive().Settings(id);
        EXPECT_DOUBLE_EQ(kept.TipTimeSeconds, 0.45) << escape;
        EXPECT_DOUBLE_EQ(kept.HourCeilingMm, 80) << escape;
        EXPECT_DOUBLE_EQ(Analysis::ActiveQualitySettings().TipTimeConstantS, 0.45);
    }
}
