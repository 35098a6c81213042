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
    // For a screenshot of the session (OMBREX_HOLD_MS under a real display): stay open a while.
    SpinFor(qEnvironmentVariableIntValue("OMBREX_HOLD_MS"));
}
