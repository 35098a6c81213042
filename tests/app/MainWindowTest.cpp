#include "app/ControlBar.h"
#include "app/SettingsStore.h"
#include "app/Startup.h"
#include "app/StatusPanel.h"
#include "app/TFMain.h"
#include "data/DataUnit.h"
#include "help/HelpSystem.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestUtil.h"
#include "views/TChildGraph.h"
#include "views/TChildInfo.h"
#include "views/TChildText.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolBar>
#include <QToolTip>
#include <gtest/gtest.h>

using Prompts::Answer;
using Prompts::Kind;

namespace {

const QString kUsbQuestion = "Do you have a USB based Hyetra 2.0?";

void seedSettings(const QString& ini) {
    const QString path = SettingsStore::Location();
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(ini.toUtf8());
}

int stored(const char* section, const char* name) {
    return SettingsStore().ReadInteger(section, name, -12345);
}

// A main window as a started program has it: created, shown, its queued requests run.
std::unique_ptr<TFMain> openMain() {
    auto w = std::make_unique<TFMain>();
    w->show();
    WaitUntil([&] { return w->MdiArea()->subWindowList().size() == 3; }, 2000);
    return w;
}

QStringList enabledCommands(const TFMain& w) {
    QStringList on;
    for (const char* name :
         {"MnuAutoDetect", "MnuManualConnect", "MnuDisconnect", "MnuDownload", "MnuSetClock",
          "MnuSetId", "MnuClear", "MnuSave", "MnuExport", "MnuPrint", "MnuCopy", "MnuSelectAll"})
        if (w.Action(name)->isEnabled())
            on << name;
    return on;
}

// The status tips the main window receives.
class StatusTips : public QObject {
public:
    QStringList tips;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::StatusTip)
            tips << static_cast<QStatusTipEvent*>(e)->tip();
        return false;
    }
};

} // namespace

TEST(MainWindow, SubmenuItemsShowTheirHints) {
    TFMain w;
    w.show();
    StatusTips statusTips;
    w.installEventFilter(&statusTips);
    struct Case {
        const char* menu;
        const char* item;
        const char* hint;
    };
    for (const Case& c : {Case{"&Edit", "Toolbars", "Configure toolbars"},
                          Case{"S&ettings", "Collector", "Set collector type"}}) {
        SCOPED_TRACE(c.item);
        QAction* title = nullptr;
        for (QAction* a : w.menuBar()->actions())
            if (a->text() == c.menu)
                title = a;
        ASSERT_NE(title, nullptr);
        QMenu* menu = title->menu();
        QAction* item = nullptr;
        for (QAction* a : menu->actions())
            if (a->text() == c.item)
                item = a;
        ASSERT_NE(item, nullptr);
        w.menuBar()->setActiveAction(title);
        ASSERT_TRUE(WaitUntil([&] { return menu->isVisible(); }, 2000));
        statusTips.tips.clear();
        const QPoint at = menu->actionGeometry(item).center();
        QTest::mouseMove(menu, at);
        QCoreApplication::processEvents();
        EXPECT_TRUE(statusTips.tips.contains(c.hint)) << statusTips.tips.join('|').toStdString();
        QHelpEvent help(QEvent::ToolTip, at, menu->mapToGlobal(at));
        QCoreApplication::sendEvent(menu, &help);
        EXPECT_EQ(QToolTip::text(), c.hint);
        QToolTip::hideText();
        menu->close();
        QCoreApplication::processEvents();
    }
}

TEST(MainWindow, FirstAndSecondStart) {
    const qsizetype helpBefore = HelpSystem::Requests().size();
    {
        ScriptedPrompts prompts;
        prompts.expect(Kind::Confirm, kUsbQuestion, Answer::Yes);
        QElapsedTimer clock;
        clock.start();
        auto w = StartUp();
        EXPECT_GE(clock.elapsed(), 1900); // the start-up screen's two seconds
        EXPECT_EQ(stored("Settings", "Logger"), 2);
        EXPECT_EQ(w->LoggerModel(), 2);
        EXPECT_EQ(w->PortBaud(), 115200);

        const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
        EXPECT_EQ(w->size(), QSize(desktop.width() - 50, desktop.height() - 100));
        EXPECT_EQ(w->pos(), QPoint(25, 50));
        EXPECT_EQ(w->FileTools()->pos(), QPoint(11, 2));
        EXPECT_GE(w->LoggerTools()->x(), 214);
        EXPECT_GE(w->WindowTools()->x(), 385);
        EXPECT_GE(w->LoggerTools()->x(), w->FileTools()->geometry().right());

        // The three default windows, in the default layout.
        const auto children = w->MdiArea()->subWindowList();
        ASSERT_EQ(children.size(), 3);
        const QSize client = w->MdiArea()->viewport()->size();
        EXPECT_EQ(children[0]->geometry(), QRect(0, 0, 200, 255));
        EXPECT_EQ(children[1]->geometry(), QRect(200, 0, 340, 255));
        EXPECT_EQ(children[2]->geometry(),
                  QRect(0, 255, client.width() - 4, client.height() - 255 - 4));

        const QStringList help = HelpSystem::Requests().mid(helpBefore);
        EXPECT_EQ(help, QStringList({"introduction.htm", "introduction.htm"}));
        EXPECT_EQ(stored("General", "ShowHelp"), 0);
        w->close();
    }
    // The second start asks nothing and shows no help by itself.
    ScriptedPrompts prompts;
    const qsizetype helpAfterFirst = HelpSystem::Requests().size();
    auto w = openMain();
    EXPECT_EQ(HelpSystem::Requests().size(), helpAfterFirst);
    EXPECT_EQ(stored("File Toolbar", "Left"), 11);
}

TEST(MainWindow, LoggerModelFromTheStore) {
    struct Case {
        const char* stored;
        int baud;
        QByteArray kEnd;
        bool hyetraTicked;
    } cases[] = {{"1", 9600, "\r", true}, {"2", 115200, "OK\r\n", false}, {"3", 9600, "\r", false}};
    for (const auto& c : cases) {
        seedSettings(QString("[Settings]\nLogger=%1\n[General]\nShowHelp=0\n").arg(c.stored));
        ScriptedPrompts prompts; // no first-run question
        TFMain w;
        EXPECT_EQ(w.PortBaud(), c.baud) << c.stored;
        EXPECT_EQ(w.KPacketEndString(), c.kEnd) << c.stored;
        EXPECT_EQ(w.Action("MnuHyetra")->isChecked(), c.hyetraTicked) << c.stored;
        EXPECT_EQ(w.Action("MnuHyetraUsb")->isChecked(), !c.hyetraTicked) << c.stored;
    }
    // The menu items take effect at once and are stored.
    TFMain w;
    w.Action("MnuHyetraUsb")->trigger();
    EXPECT_EQ(w.PortBaud(), 115200);
    EXPECT_EQ(w.KPacketEndString(), QByteArray("OK\r\n"));
    EXPECT_EQ(stored("Settings", "Logger"), 2);
    w.Action("MnuHyetra")->trigger();
    EXPECT_EQ(w.PortBaud(), 9600);
    EXPECT_EQ(stored("Settings", "Logger"), 1);
}

TEST(MainWindow, CollectorFromTheStoreAndTheMenu) {
    const char* items[] = {"MBF001", "MBF010", "MBF020", "MBF025", "MBF050"};
    auto ticked = [&](const TFMain& w) {
        QStringList t;
        for (const char* i : items)
            if (w.Action(i)->isChecked())
                t << i;
        return t;
    };
    seedSettings("[Settings]\nLogger=1\nBucket Factor=254\n[General]\nShowHelp=0\n");
    {
        ScriptedPrompts prompts;
        TFMain w;
        EXPECT_EQ(ticked(w), QStringList{"MBF025"});
        EXPECT_EQ(DataUnit::BucketFactor, 254);
        w.Action("MBF050")->trigger();
        EXPECT_EQ(ticked(w), QStringList{"MBF050"});
        EXPECT_EQ(stored("Settings", "Bucket Factor"), 500);
    }
    {
        ScriptedPrompts prompts;
        TFMain w;
        EXPECT_EQ(ticked(w), QStringList{"MBF050"});
    }
    seedSettings("[Settings]\nLogger=1\nBucket Factor=7\n[General]\nShowHelp=0\n");
    ScriptedPrompts prompts;
    TFMain w;
    EXPECT_TRUE(ticked(w).isEmpty());
    EXPECT_EQ(DataUnit::BucketFactor, 7);
}

TEST(MainWindow, BadSettingsFallBackToDefaults) {
    seedSettings("[Settings]\nLogger=1\n[General]\nShowHelp=0\n"
                 "[Window Settings]\nWidth=abc\nHeight=300, 200\n");
    ScriptedPrompts prompts;
    prompts.expect(Kind::Error, "Invalid data type for 'Height'", Answer::Ok);
    TFMain w;
    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    EXPECT_EQ(w.size(), QSize(desktop.width() - 50, desktop.height() - 100));
    // The text stays in the store until shut-down overwrites it.
    QFile f(SettingsStore::Location());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("Width=abc"));
}

TEST(MainWindow, MaximisedShutDownKeepsTheNormalPlace) {
    seedSettings("[Settings]\nLogger=1\n[General]\nShowHelp=0\n"
                 "[Window Settings]\nLeft=30\nTop=40\nWidth=600\nHeight=400\nState=0\n");
    ScriptedPrompts prompts;
    {
        auto w = openMain();
        EXPECT_EQ(w->geometry().size(), QSize(600, 400));
        w->showMaximized();
        WaitUntil([&] { return w->isMaximized(); }, 1000);
        w->close();
    }
    EXPECT_EQ(stored("Window Settings", "State"), 2);
    EXPECT_EQ(stored("Window Settings", "Left"), 30);
    EXPECT_EQ(stored("Window Settings", "Width"), 600);
    auto w = openMain();
    EXPECT_TRUE(w->isMaximized());
    w->showNormal();
    WaitUntil([&] { return !w->isMaximized() && w->size() == QSize(600, 400); }, 1000);
    EXPECT_EQ(w->size(), QSize(600, 400));
    EXPECT_EQ(w->pos(), QPoint(30, 40));
}

TEST(MainWindow, HiddenToolbarStaysHidden) {
    seedSettings("[Settings]\nLogger=1\n[General]\nShowHelp=0\n");
    ScriptedPrompts prompts;
    {
        auto w = openMain();
        w->Action("MnuToolbarActions")->trigger();
        EXPECT_TRUE(w->LoggerTools()->isHidden());
        EXPECT_FALSE(w->Action("MnuToolbarActions")->isChecked());
        w->close();
    }
    EXPECT_EQ(stored("Logger Toolbar", "Visible"), 0);
    auto w = openMain();
    EXPECT_TRUE(w->LoggerTools()->isHidden());
    EXPECT_FALSE(w->Action("MnuToolbarActions")->isChecked());
    EXPECT_FALSE(w->FileTools()->isHidden());
}

TEST(MainWindow, CommandStateFollowsTheActions) {
    seedSettings("[Settings]\nLogger=1\n[General]\nShowHelp=0\n");
    ScriptedPrompts prompts;
    auto w = openMain();
    // After start-up the graph window, created last, is active.
    EXPECT_EQ(enabledCommands(*w),
              QStringList({"MnuAutoDetect", "MnuManualConnect", "MnuPrint", "MnuCopy"}));
    struct Step {
        std::function<void()> run;
        QStringList on;
    } steps[] = {
        {[&] { w->ConnectExecute(); },
         {"MnuDisconnect", "MnuDownload", "MnuSetClock", "MnuSetId", "MnuClear", "MnuPrint",
          "MnuCopy"}},
        {[&] { w->GotDataExecute(); },
         {"MnuDisconnect", "MnuDownload", "MnuSetClock", "MnuSetId", "MnuClear", "MnuSave",
          "MnuExport", "MnuPrint", "MnuCopy"}},
        // Disconnect turns Save As off although the tables still hold data; Export stays on.
        {[&] { w->DisconnectExecute(); },
         {"MnuAutoDetect", "MnuManualConnect", "MnuExport", "MnuPrint", "MnuCopy"}},
        {[&] { w->MdiArea()->setActiveSubWindow(w->TextWindows().first()); },
         {"MnuAutoDetect", "MnuManualConnect", "MnuExport", "MnuPrint", "MnuCopy", "MnuSelectAll"}},
        {[&] { w->MdiArea()->setActiveSubWindow(w->InfoWindows().first()); },
         {"MnuAutoDetect", "MnuManualConnect", "MnuExport"}},
        {[&] { w->MdiArea()->setActiveSubWindow(w->GraphWindows().first()); },
         {"MnuAutoDetect", "MnuManualConnect", "MnuExport", "MnuPrint", "MnuCopy"}},
        {[&] { w->NoDataExecute(); }, {"MnuAutoDetect", "MnuManualConnect", "MnuCopy"}},
        // Closing every child leaves the edit and print commands as the last activation set them.
        {[&] {
             w->MdiArea()->setActiveSubWindow(w->TextWindows().first());
             w->GraphWindows().first()->close();
             w->InfoWindows().first()->close();
             w->TextWindows().first()->close();
             QCoreApplication::processEvents();
             EXPECT_TRUE(w->MdiArea()->subWindowList().isEmpty());
         },
         {"MnuAutoDetect", "MnuManualConnect", "MnuPrint", "MnuCopy", "MnuSelectAll"}},
    };
    int i = 0;
    for (auto& s : steps) {
        s.run();
        EXPECT_EQ(enabledCommands(*w), s.on) << "step " << i;
        ++i;
    }
    // With no child, Print asks for the printer and prints nothing; Copy does nothing.
    prompts.expectPrinterSetup(true);
    w->Action("MnuPrint")->trigger();
    w->Action("MnuCopy")->trigger();
    EXPECT_EQ(prompts.pending(), 0);
    // The toolbar buttons follow their menu items.
    w->ConnectExecute();
    auto* button = w->LoggerTools()->widgetForAction(w->Action("MnuDownload"));
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(w->Panel()->ConnectLabel->text(), " Connected");
    w->DisconnectExecute();
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(w->Panel()->ConnectLabel->text(), " Not Connected");
}

TEST(MainWindow, ShowOrCreateChildren) {
    seedSettings("[Settings]\nLogger=1\n[General]\nShowHelp=0\n");
    ScriptedPrompts prompts;
    auto w = openMain();
    TChildGraph* graph = w->GraphWindows().first();
    graph->showMinimized();
    w->Action("MnuGraph")->trigger();
    EXPECT_EQ(w->GraphWindows().size(), 1);
    EXPECT_FALSE(graph->isMinimized());
    EXPECT_EQ(w->ActiveChild(), graph);

    graph->close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->GraphWindows().isEmpty());
    w->Action("MnuGraph")->trigger();
    ASSERT_EQ(w->GraphWindows().size(), 1);
    EXPECT_EQ(w->GraphWindows().first()->windowTitle(), "Graph");

    // Defaults puts every window of a kind in the same place.
    w->Action("MnuInfo")->trigger();
    w->OpenDefaultWindows();
    EXPECT_EQ(w->InfoWindows().size(), 2);
    EXPECT_EQ(w->InfoWindows()[0]->geometry(), w->InfoWindows()[1]->geometry());
}

TEST(MainWindow, StatusLineTimerRules) {
    seedSettings("[Settings]\nLogger=1\n[General]\nShowHelp=0\n");
    ScriptedPrompts prompts;
    TFMain w;
    w.show();
    QLabel* label = w.Panel()->StatusLabel;
    EXPECT_TRUE(label->isHidden());

    // A second message with the same duration is hidden when the first countdown ends.
    QElapsedTimer clock;
    clock.start();
    w.ShowStatus("Clock Set", 2);
    SpinFor(1500);
    w.ShowStatus("Name Set", 2);
    EXPECT_EQ(label->text(), "Name Set");
    ASSERT_TRUE(WaitUntil([&] { return label->isHidden(); }, 3000));
    EXPECT_LT(clock.elapsed(), 3100); // a restarted countdown would end at 3.5 s

    // A message of duration 0 stays until a later one's countdown ends.
    w.ShowStatus("Downloading...", 0);
    SpinFor(2500);
    EXPECT_FALSE(label->isHidden());
    clock.restart();
    w.ShowStatus("Download complete", 2);
    ASSERT_TRUE(WaitUntil([&] { return label->isHidden(); }, 3000));
    EXPECT_GE(clock.elapsed(), 1800); // timers may fire up to 5 % early
}

// A settings file that is not an ini file at all: the program starts as on a first start,
// without false alarms, and writes a good file, so the next start asks nothing.
TEST(MainWindow, CorruptSettingsFileStartsAfreshAndIsRepaired) {
    QByteArray junk(4096, '\0');
    for (qsizetype i = 0; i < junk.size(); ++i)
        junk[i] = char((i * 7919) % 251);
    seedSettings(QString());
    {
        QFile f(SettingsStore::Location());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(junk);
    }
    {
        ScriptedPrompts prompts;
        prompts.expect(Kind::Confirm, kUsbQuestion, Answer::Yes);
        auto w = openMain();
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->LoggerModel(), 2);
        w->close();
    }
    ScriptedPrompts prompts; // no question, no error
    auto w = openMain();
    EXPECT_EQ(w->LoggerModel(), 2);
    EXPECT_EQ(stored("File Toolbar", "Left"), 11);
}

// A settings file that cannot be read or written (a folder in its place, which stops root as
// well): every failed write says so, and the program still starts and works on defaults.
TEST(MainWindow, UnreadableSettingsFileSaysSoAndStartsOnDefaults) {
    QDir().mkpath(SettingsStore::Location());
    ScriptedPrompts prompts;
    prompts.expect(Kind::Confirm, kUsbQuestion, Answer::No);
    prompts.expect(Kind::Error, "Failed to set data for 'Logger'", Answer::Ok);
    prompts.expect(Kind::Error, "Failed to set data for 'ShowHelp'", Answer::Ok);
    auto w = openMain();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->LoggerModel(), 1);
    EXPECT_EQ(w->MdiArea()->subWindowList().size(), 3);
    EXPECT_TRUE(w->Action("MnuAutoDetect")->isEnabled());
    prompts.expect(Kind::Error, "Failed to set data for 'Top'", Answer::Ok);
    w->close();
    EXPECT_TRUE(QFileInfo(SettingsStore::Location()).isDir());
}
