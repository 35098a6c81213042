#include "app/SettingsStore.h"
#include "app/TFMain.h"
#include "app/TSplashscreen.h"
#include "help/HelpBrowser.h"
#include "help/HelpContexts.h"
#include "help/HelpKeyFilter.h"
#include "help/HelpSystem.h"
#include "help/HelpViewer.h"
#include "help/HelpWindow.h"
#include "link/dialogs/TComSelectForm.h"
#include "link/dialogs/TDLForm.h"
#include "link/dialogs/TFConnect.h"
#include "link/dialogs/TFName.h"
#include "link/dialogs/TFormErase.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestUtil.h"
#include "views/TChildGraph.h"
#include "views/TChildInfo.h"
#include "views/TChildText.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QWhatsThis>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct InstalledViewer {
    HelpViewer viewer;
    HelpKeyFilter keys;
    InstalledViewer() {
        HelpSystem::SetHelpFile({});
        HelpSystem::Install(&viewer);
        qApp->installEventFilter(&keys);
    }
    ~InstalledViewer() {
        qApp->removeEventFilter(&keys);
        HelpSystem::Install(nullptr);
    }
    QString title() const { return viewer.window() ? viewer.window()->currentTitle() : QString(); }
    QString fragment() const {
        return viewer.window() ? viewer.window()->browser()->source().fragment() : QString();
    }
};

struct Case {
    int id;
    const char* title;
    const char* fragment;
};

// Each window's context number and the page a user should land on.
const Case kContexts[] = {
    {HelpSystem::MainContext, "The main window", ""},
    {HelpContexts::DeviceInfo, "The Device Info window", ""},
    {HelpContexts::TextWindow, "The Text window", ""},
    {HelpContexts::GraphWindow, "The Graph window", ""},
    {HelpContexts::ExportDialog, "Exporting to a spreadsheet", ""},
    {HelpContexts::ConnectDialog, "Connecting to the logger", ""},
    {HelpContexts::SelectPortDialog, "Connecting to the logger", "selectport"},
    {HelpContexts::SerialPortList, "Connecting to the logger", "portmap"},
    {HelpContexts::DownloadDialog, "Downloading the records", ""},
    {HelpContexts::NameDialog, "Looking after the logger", "name"},
    {HelpContexts::EraseDialog, "Looking after the logger", "clear"},
    {HelpContexts::AboutScreen, "Welcome to Ombrex", ""},
};

QString readSource(const QString& relative) {
    QFile f(QString::fromLocal8Bit(qgetenv("OMBREX_SOURCE_DIR")) + "/" + relative);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << relative.toStdString();
    return QString::fromUtf8(f.readAll());
}

void pressF1(QWidget* w) {
    QTest::keyClick(w, Qt::Key_F1);
}

} // namespace

TEST(HelpContext, EveryContextOpensItsTopic) {
    InstalledViewer help;
    for (const Case& c : kContexts) {
        SCOPED_TRACE(c.id);
        HelpSystem::ShowContext(c.id);
        EXPECT_EQ(help.title(), c.title);
        EXPECT_EQ(help.fragment(), c.fragment);
        EXPECT_TRUE(help.viewer.window()->isVisible());
    }
    EXPECT_EQ(std::size(kContexts), size_t(HelpContexts::Table().size()));
}

// The help project's [MAP] and [ALIAS] carry the program's table, so other viewers agree.
TEST(HelpContext, ProjectMapAndAliasMatchTheProgramTable) {
    const QString map = readSource("resources/help/HelpContext.h");
    const QString hhp = readSource("resources/help/Ombrex2.hhp");
    EXPECT_TRUE(hhp.contains("#include HelpContext.h"));
    int mapped = 0;
    for (const HelpContexts::Entry& e : HelpContexts::Table()) {
        SCOPED_TRACE(e.alias);
        const QRegularExpression def(QString("#define %1 (\\d+)").arg(e.alias));
        const auto m = def.match(map);
        // Sections within a page cannot be mapped by the compiler; the program maps them.
        const QString file = QString(e.topic).section('#', 0, 0);
        if (!m.hasMatch()) {
            EXPECT_TRUE(QString(e.topic).contains('#'));
            continue;
        }
        ++mapped;
        EXPECT_EQ(m.captured(1).toInt(), e.id);
        EXPECT_TRUE(hhp.contains(QString("\n%1=%2\n").arg(e.alias, file)));
    }
    EXPECT_EQ(map.count("#define"), mapped);
}

TEST(HelpContext, F1OpensTheTopicOfTheActiveWindow) {
    InstalledViewer help;
    ScriptedPrompts prompts;
    SettingsStore::Location();
    {
        const QString path = SettingsStore::Location();
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Settings]\nLogger=1\n[General]\nShowHelp=0\n");
    }
    auto main = std::make_unique<TFMain>();
    main->show();
    ASSERT_TRUE(WaitUntil([&] { return main->MdiArea()->subWindowList().size() == 3; }, 3000));

    pressF1(main->menuBar());
    EXPECT_EQ(help.title(), "The main window");

    struct Child {
        QMdiSubWindow* window;
        const char* title;
    };
    const Child children[] = {
        {main->InfoWindows().value(0), "The Device Info window"},
        {main->TextWindows().value(0), "The Text window"},
        {main->GraphWindows().value(0), "The Graph window"},
    };
    for (const Child& c : children) {
        SCOPED_TRACE(c.title);
        ASSERT_NE(c.window, nullptr);
        main->MdiArea()->setActiveSubWindow(c.window);
        // The key reaches the deepest widget of the window that has the focus.
        QWidget* target = c.window->widget() ? c.window->widget() : c.window;
        const auto inner = target->findChildren<QWidget*>();
        if (!inner.isEmpty())
            target = inner.last();
        pressF1(target);
        EXPECT_EQ(help.title(), c.title);
    }

    // Shift+F1 is context help: the next click names the window.
    QTest::keyClick(main->menuBar(), Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();

    // What's This? clicks ask the same question.
    QHelpEvent whatsThis(QEvent::WhatsThis, QPoint(1, 1), QPoint(1, 1));
    QApplication::sendEvent(main->TextWindows().value(0), &whatsThis);
    EXPECT_EQ(help.title(), "The Text window");

    // F1 with a modifier is not help.
    HelpSystem::ShowTopic("collector.htm");
    QTest::keyClick(main->menuBar(), Qt::Key_F1, Qt::ControlModifier);
    EXPECT_EQ(help.title(), "Choosing the collector");
    main->close();
}

TEST(HelpContext, F1InTheDialogsOpensTheirTopics) {
    InstalledViewer help;
    ScriptedPrompts prompts;
    prompts.allowAny(Prompts::Answer::No);
    QWidget owner;
    owner.resize(600, 400);
    owner.show();

    struct Dialog {
        std::unique_ptr<QWidget> widget;
        const char* title;
        const char* fragment;
    };
    Dialog dialogs[] = {
        {std::make_unique<TFConnect>(&owner), "Connecting to the logger", ""},
        {std::make_unique<TComSelectForm>(&owner), "Connecting to the logger", "selectport"},
        {std::make_unique<TDLForm>(&owner, 10), "Downloading the records", ""},
        {std::make_unique<TFName>(&owner, QString("Gauge 1")), "Looking after the logger", "name"},
        {std::make_unique<TFormErase>(&owner), "Looking after the logger", "clear"},
        {std::make_unique<TSplashscreen>(nullptr, true), "Welcome to Ombrex", ""},
    };
    for (Dialog& d : dialogs) {
        SCOPED_TRACE(d.title);
        d.widget->show();
        QWidget* target = d.widget.get();
        if (auto* edit = target->findChild<QLineEdit*>())
            target = edit;
        pressF1(target);
        EXPECT_EQ(help.title(), d.title);
        EXPECT_EQ(help.fragment(), d.fragment);
        d.widget->hide();
    }

    // A plain dialog names its context itself (the serial port list).
    QWidget ports(&owner, Qt::Dialog);
    HelpContexts::Set(&ports, HelpContexts::SerialPortList);
    auto* inside = new QLineEdit(&ports);
    ports.show();
    pressF1(inside);
    EXPECT_EQ(help.fragment(), "portmap");

    // F1 in the help window itself leaves the page as it is.
    HelpSystem::ShowTopic("export.htm");
    pressF1(help.viewer.window()->browser());
    EXPECT_EQ(help.title(), "Exporting to a spreadsheet");

    // A window with no context of its own gets the main window's topic.
    QWidget stray;
    stray.show();
    pressF1(&stray);
    EXPECT_EQ(help.title(), "The main window");
}
