// The Storms window after a real download from the virtual logger: it analyses what the download
// put into the tables, as the other views show it.
#include "analysis/RainSeries.h"
#include "analysis/Storms.h"
#include "app/TFMain.h"
#include "link/LoggerLink.h"
#include "tests/app/LoggerLinkSupport.h"
#include "tests/sim/SimHarness.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestUtil.h"
#include "views/TChildGraph.h"
#include "views/TChildHyetograph.h"
#include "views/TChildStorms.h"

#include <QAction>
#include <QMdiArea>
#include <QTableWidget>
#include <gtest/gtest.h>

TEST(StormsAfterDownload, TheWindowShowsTheDownloadedStorms) {
    SimProcess sim({"--port", "6", "--model", "2", "--fast", "--records", "3000", "--seed", "11",
                    "--state", TestFolder() + "/state.json"});
    ASSERT_FALSE(sim.startLine().isEmpty());
    seedSettings(2, 6);
    ScriptedPrompts prompts;
    auto w = openMain();
    w->MnuStormsClick();
    ASSERT_EQ(w->StormsWindows().size(), 1);
    TChildStorms* storms = w->StormsWindows().first();
    EXPECT_EQ(storms->StormTable()->rowCount(), 0);

    ASSERT_TRUE(autoDetect(*w));
    w->Action("MnuDownload")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !w->Link().DownloadActive(); }, 20000));
    ASSERT_GT(DataUnit::EventCount(), 1000);

    // The window followed the download: the same storms as the analysis of the tables.
    const auto expected = Analysis::FindStorms(RainSeriesFromEvents(), MillimetresPerTip());
    ASSERT_GT(expected.size(), 5u);
    EXPECT_EQ(storms->Storms().size(), expected.size());
    EXPECT_EQ(storms->StormTable()->rowCount(), int(expected.size()));
    EXPECT_GT(storms->MonthTable()->rowCount(), 0);

    // Arranged as a user would look at it: storms beside the graph of the first storm's days.
    w->MdiArea()->setActiveSubWindow(storms);
    storms->setGeometry(0, 0, w->MdiArea()->width() - 4, w->MdiArea()->height() / 2 + 40);
    storms->ShowStormDays(0);
    w->MdiArea()->setActiveSubWindow(storms);

    // The largest storm in a hyetograph, shaded with its I30 window (rows are in time order).
    size_t largest = 0;
    for (size_t i = 1; i < expected.size(); ++i)
        if (expected[i].DepthMm > expected[largest].DepthMm)
            largest = i;
    storms->StormTable()->selectRow(int(largest));
    storms->ShowHyetograph(int(largest));
    ASSERT_EQ(w->HyetographWindows().size(), 1);
    TChildHyetograph* h = w->HyetographWindows().first();
    const int top = w->MdiArea()->height() / 2 + 40;
    h->setGeometry(0, top, w->MdiArea()->width() - 4, w->MdiArea()->height() - top - 4);
    SpinFor(200);
    EXPECT_LE(h->RangeFrom(), expected[largest].Start);
    EXPECT_GT(h->RangeTo(), expected[largest].End);
    EXPECT_FALSE(h->Layer()->Boxes(HyetographLayer::Storm).empty());
    EXPECT_EQ(h->Layer()->Boxes(HyetographLayer::I30).size() > 0, expected[largest].I30Start != 0);
    EXPECT_FALSE(h->Layer()->Boxes(HyetographLayer::Bar).empty());
    if (const QByteArray shot = qgetenv("OMBREX_SHOT"); !shot.isEmpty()) {
        w->showMaximized();
        SpinFor(300);
        const QSize area = w->MdiArea()->viewport()->size();
        storms->setGeometry(0, 0, area.width(), area.height() * 2 / 5);
        h->setGeometry(0, area.height() * 2 / 5, area.width(), area.height() * 3 / 5);
        storms->StormTable()->scrollToItem(storms->StormTable()->item(int(largest), 0));
        SpinFor(300);
        w->grab().save(QString::fromLocal8Bit(shot));
    }
    // For a screenshot of the session (OMBREX_HOLD_MS under a real display): stay open a while.
    SpinFor(qEnvironmentVariableIntValue("OMBREX_HOLD_MS"));
}
