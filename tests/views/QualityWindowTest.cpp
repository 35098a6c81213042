#include "analysis/QualityState.h"
#include "app/SettingsKeys.h"
#include "app/SettingsStore.h"
#include "tests/views/MainWindowSupport.h"
#include "views/LineView.h"
#include "views/ReportLines.h"
#include "views/TChildQuality.h"

#include <QTableWidget>
#include <gtest/gtest.h>

using Analysis::FlagVerdict;

namespace {

const TDateTime kDay = EncodeDate(2009, 3, 1);

TDateTime At(int day, int hour, int minute) {
    return kDay + day + EncodeTime(hour, minute);
}

// Index: 0 start, 1 test tip (I), 2 rain, 3 next to the reset (M), 4 reset (M), 5 after (M),
// 6 rain, 7 tip before the download (D), 8 end.
void FlaggedTable() {
    Fixtures::LoadEvents({{At(0, 8, 0), 0},
                          {At(0, 8, 2), 1},
                          {At(0, 14, 0), 3},
                          {At(0, 15, 0), 2},
                          {DataUnit::PowerResetDate, 0},
                          {At(0, 15, 30), 4},
                          {At(1, 9, 0), 5},
                          {At(1, 17, 55), 1},
                          {At(1, 18, 0), 0}});
}

TChildQuality* OpenQuality(TFMain& main) {
    main.Action("MnuQuality")->trigger();
    return qobject_cast<TChildQuality*>(main.ActiveChild());
}

TEST(QualityWindow, ListsFlagsAndMarksTheEventReportByTheDecisions) {
    Analysis::UseFlagDecisions(nullptr);
    auto main = OpenMain();
    FlaggedTable();
    TChildQuality* q = OpenQuality(*main);
    ASSERT_NE(q, nullptr);
    EXPECT_FALSE(main->Action("MnuPrint")->isEnabled());
    std::string letters;
    for (const QualityRow& r : q->Rows())
        letters += std::to_string(r.Record) + r.Letter + " ";
    EXPECT_EQ(letters, "1I 3M 4M 5M 7D ");
    EXPECT_EQ(q->Table()->rowCount(), 5);
    EXPECT_TRUE(q->Table()->item(0, 3)->text().contains("clock was set"));

    TChildText* text = main->TextWindows().first();
    text->EventBtnClick();
    const ReportLines& before = text->Memo1()->lines();
    EXPECT_TRUE(before.texts[1].endsWith("  [I]")) << before.texts[1].toStdString();
    EXPECT_EQ(before.colours[1], LineColour::Flagged);
    EXPECT_EQ(before.texts[2], "03/01/09 14:00 - 0.03 :");
    EXPECT_EQ(before.colours[2], LineColour::Blue);

    q->DecideRows({0}, FlagVerdict::Accepted);
    q->DecideRows({4}, FlagVerdict::Dismissed);
    q->DecideAllOf('M', FlagVerdict::Accepted);
    const auto accepted = Analysis::FlagDecisions().Find({1, 'I'});
    ASSERT_TRUE(accepted.has_value());
    EXPECT_EQ(accepted->Verdict, FlagVerdict::Accepted);
    EXPECT_NEAR(accepted->DecidedAt, NowDateTime(), 1.0 / 1440);
    EXPECT_EQ(Analysis::FlagDecisions().All().size(), 5u);
    EXPECT_TRUE(q->Table()->item(4, 4)->text().startsWith("Dismissed"));

    // A dismissed flag no longer marks its record; accepted ones still do.
    const ReportLines& after = text->Memo1()->lines();
    EXPECT_EQ(after.texts[7], "03/02/09 17:55 - 0.01 :");
    EXPECT_TRUE(after.texts[5].endsWith("  [M]"));

    if (const QByteArray shot = qgetenv("OMBREX_SHOT"); !shot.isEmpty()) {
        main->resize(1300, 700);
        text->setGeometry(0, 0, 380, 560);
        q->setGeometry(380, 0, 880, 560);
        SpinFor(300);
        main->grab().save(QString::fromLocal8Bit(shot));
    }

    // The one switch: analysis leaves the accepted records out, and the choice is kept.
    main->Action("MnuLeaveOutFlags")->trigger();
    EXPECT_TRUE(Analysis::LeaveOutAcceptedFlags());
    int32_t tips = 0;
    for (const RainMinute& m : Analysis::RainSeriesForAnalysis())
        tips += m.Tips;
    EXPECT_EQ(tips, 3 + 5 + 1); // without records 1, 3 and 5
    EXPECT_TRUE(SettingsStore().ReadBool(SettingsKeys::Analysis,
                                         SettingsKeys::LeaveOutAcceptedFlags, false));
    main.reset();
    Analysis::SetLeaveOutAcceptedFlags(false);
    auto again = OpenMain();
    EXPECT_TRUE(Analysis::LeaveOutAcceptedFlags());
    EXPECT_TRUE(again->Action("MnuLeaveOutFlags")->isChecked());
    again->Action("MnuLeaveOutFlags")->trigger();
    EXPECT_FALSE(Analysis::LeaveOutAcceptedFlags());

    // Undeciding forgets.
    FlaggedTable();
    TChildQuality* q2 = OpenQuality(*again);
    q2->DecideRows({0, 1, 2, 3, 4}, std::nullopt);
    EXPECT_TRUE(Analysis::FlagDecisions().All().empty());

    // Decisions kept in memory go with the tables they were made on.
    q2->DecideRows({0}, FlagVerdict::Accepted);
    again->GotDataExecute();
    EXPECT_TRUE(Analysis::FlagDecisions().All().empty());
}

TEST(QualityWindow, MarkingLeavesAReportOfAnotherLengthAlone) {
    ReportLines lines;
    lines.texts << "No Data Available";
    lines.colours.push_back(LineColour::Blue);
    MarkFlaggedEvents(lines, {"I", "D"});
    EXPECT_EQ(lines.texts[0], "No Data Available");
}

} // namespace
