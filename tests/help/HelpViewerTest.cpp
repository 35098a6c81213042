#include "help/HelpViewer.h"
#include "help/HelpBrowser.h"
#include "help/HelpContents.h"
#include "help/HelpContexts.h"
#include "help/HelpSystem.h"
#include "help/HelpWindow.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestUtil.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTest>
#include <QTextDocument>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QWindow>
#include <gtest/gtest.h>

using Prompts::Answer;
using Prompts::Kind;

namespace {

// A viewer installed for one test, over the help file the build made.
struct InstalledViewer {
    HelpViewer viewer;
    InstalledViewer() {
        HelpSystem::SetHelpFile({});
        HelpSystem::Install(&viewer);
    }
    ~InstalledViewer() {
        HelpSystem::Install(nullptr);
        HelpSystem::SetHelpFile({});
    }
    THelpWindow* window() const { return viewer.window(); }
};

QString plainText(const THelpWindow* w) {
    return w->browser()->toPlainText();
}

} // namespace

TEST(HelpViewer, OpensTopicsOutOfTheCompiledFile) {
    InstalledViewer help;
    HelpSystem::ShowTopic("introduction.htm");
    ASSERT_NE(help.window(), nullptr);
    EXPECT_TRUE(help.window()->isVisible());
    EXPECT_EQ(help.window()->currentTopic(), "introduction.htm");
    EXPECT_EQ(help.window()->currentTitle(), "Welcome to Ombrex");
    EXPECT_EQ(help.window()->windowTitle(), "Ombrex 2 Help - Welcome to Ombrex");
    EXPECT_TRUE(plainText(help.window()).contains("Do you have a USB based Hyetra 2.0?"));
    EXPECT_EQ(HelpSystem::Requests().last(), "introduction.htm");

    // The style sheet and the picture of the page come out of the help file too.
    HelpBrowser* b = help.window()->browser();
    const QString css =
        b->loadResource(QTextDocument::StyleSheetResource, QUrl("ombrex.css")).toString();
    EXPECT_TRUE(css.contains(".nav"));
    const QByteArray svg =
        b->loadResource(QTextDocument::ImageResource, QUrl("images/gauge.svg")).toByteArray();
    QImage picture;
    EXPECT_TRUE(picture.loadFromData(svg));
    EXPECT_EQ(picture.width(), 240);
    // Nothing is fetched from outside the help file.
    EXPECT_FALSE(
        b->loadResource(QTextDocument::ImageResource, QUrl("file:///etc/hostname")).isValid());
}

TEST(HelpViewer, LinksBackAndForward) {
    InstalledViewer help;
    RecordingOpener opener;
    HelpSystem::ShowTopic("introduction.htm");
    THelpWindow* w = help.window();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->backAction()->isEnabled());

    w->browser()->followLink(QUrl("connecting.htm"));
    EXPECT_EQ(w->currentTitle(), "Connecting to the logger");
    w->browser()->followLink(QUrl("#portmap")); // an anchor on the same page
    EXPECT_EQ(w->currentTopic(), "connecting.htm");
    EXPECT_EQ(w->browser()->source().fragment(), "portmap");
    w->browser()->followLink(QUrl("troubleshooting.htm#crc"));
    EXPECT_EQ(w->currentTitle(), "Troubleshooting and messages");
    EXPECT_TRUE(w->backAction()->isEnabled());
    EXPECT_FALSE(w->forwardAction()->isEnabled());

    w->backAction()->trigger();
    EXPECT_EQ(w->currentTopic(), "connecting.htm");
    w->backAction()->trigger();
    w->backAction()->trigger();
    EXPECT_EQ(w->currentTopic(), "introduction.htm");
    EXPECT_FALSE(w->backAction()->isEnabled());
    EXPECT_TRUE(w->forwardAction()->isEnabled());
    w->forwardAction()->trigger();
    EXPECT_EQ(w->currentTitle(), "Connecting to the logger");

    w->homeAction()->trigger();
    EXPECT_EQ(w->currentTopic(), "introduction.htm");

    // A link that leaves the help goes to the desktop; the page stays.
    w->browser()->followLink(QUrl("mailto:support@pluvatec.example"));
    EXPECT_EQ(opener.opened, QStringList{"mailto:support@pluvatec.example"});
    EXPECT_EQ(w->currentTopic(), "introduction.htm");
}

TEST(HelpViewer, ContentsTreeOpensItsTopics) {
    InstalledViewer help;
    HelpSystem::ShowTopic("introduction.htm");
    THelpWindow* w = help.window();
    ASSERT_NE(w, nullptr);
    QTreeWidget* tree = w->contentsTree();
    QStringList names;
    QTreeWidgetItem* graph = nullptr;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        names << (*it)->text(0);
        if ((*it)->text(0) == "The Graph window")
            graph = *it;
    }
    EXPECT_EQ(names.first(), "Welcome to Ombrex");
    EXPECT_TRUE(names.contains("Troubleshooting and messages"));
    EXPECT_TRUE(names.contains("Serial ports and COM numbers"));
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->parent()->text(0), "The windows");

    emit tree->itemClicked(graph, 0);
    EXPECT_EQ(w->currentTitle(), "The Graph window");
    // Following a link keeps the tree on the page shown.
    w->browser()->followLink(QUrl("export.htm"));
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_EQ(tree->currentItem()->text(0), "Exporting to a spreadsheet");
    w->browser()->followLink(QUrl("connecting.htm#portmap"));
    EXPECT_EQ(tree->currentItem()->text(0), "Serial ports and COM numbers");
    w->browser()->followLink(QUrl("connecting.htm#permission")); // a section without an entry
    EXPECT_EQ(tree->currentItem()->text(0), "Connecting to the logger");

    // Hiding the contents leaves the page.
    w->contentsAction()->trigger();
    EXPECT_FALSE(tree->isVisible());
    EXPECT_EQ(w->currentTopic(), "connecting.htm");
}

// Every link, contents entry and context topic leads to a page (and anchor) that exists.
TEST(HelpViewer, EveryLinkOfTheHelpFileResolves) {
    HelpChmFile chm;
    ASSERT_TRUE(chm.open(HelpSystem::HelpFile()));
    QStringList pages;
    for (const QString& e : chm.entries())
        if (e.endsWith(".htm"))
            pages << e.mid(1);
    EXPECT_GE(pages.size(), 12);

    auto anchors = [&](const QString& page) {
        QStringList names;
        static const QRegularExpression re("(?:name|id)=\"([^\"]+)\"");
        for (auto it = re.globalMatch(QString::fromUtf8(chm.read(page))); it.hasNext();)
            names << it.next().captured(1);
        return names;
    };
    auto check = [&](const QString& where, const QString& target) {
        const QString path = target.section('#', 0, 0);
        const QString anchor = target.section('#', 1);
        const QString page = path.isEmpty() ? where : path;
        EXPECT_TRUE(chm.contains(page)) << where.toStdString() << " -> " << target.toStdString();
        if (!anchor.isEmpty()) {
            EXPECT_TRUE(anchors(page).contains(anchor))
                << where.toStdString() << " -> " << target.toStdString();
        }
    };

    static const QRegularExpression refRe("(?:href|src)=\"([^\"]+)\"");
    for (const QString& page : pages) {
        const QString html = QString::fromUtf8(chm.read(page));
        EXPECT_TRUE(html.contains("<title>")) << page.toStdString();
        for (auto it = refRe.globalMatch(html); it.hasNext();) {
            const QString target = it.next().captured(1);
            if (!target.contains(':'))
                check(page, target);
        }
    }
    std::function<void(const QList<HelpContentsEntry>&)> walk =
        [&](const QList<HelpContentsEntry>& entries) {
            for (const HelpContentsEntry& e : entries) {
                if (!e.local.isEmpty())
                    check(chm.contentsPath(), e.local);
                walk(e.children);
            }
        };
    walk(ParseSitemap(chm.read(chm.contentsPath())));
    for (const HelpContexts::Entry& e : HelpContexts::Table())
        check(QString::number(e.id), e.topic);
}

TEST(HelpViewer, MissingHelpFileTopicAndContextGiveClearMessages) {
    InstalledViewer help;
    ScriptedPrompts prompts;
    const QString missing = TestFolder() + "/nowhere/Ombrex 2.chm";
    HelpSystem::SetHelpFile(missing);
    prompts.expect(Kind::Error, "The help file " + missing + " was not found.", Answer::Ok);
    HelpSystem::ShowTopic("introduction.htm");
    EXPECT_EQ(prompts.pending(), 0);
    EXPECT_TRUE(help.window() == nullptr || !help.window()->isVisible());

    // A file that is not a help file counts as missing.
    QFile junk(TestFolder() + "/junk.chm");
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a compiled help file");
    junk.close();
    HelpSystem::SetHelpFile(junk.fileName());
    prompts.expect(Kind::Error, "The help file " + junk.fileName() + " was not found.", Answer::Ok);
    HelpSystem::ShowContext(HelpSystem::MainContext);
    EXPECT_EQ(prompts.pending(), 0);

    HelpSystem::SetHelpFile({});
    prompts.expect(Kind::Error,
                   "The help topic nothere.htm was not found in the help file " +
                       HelpSystem::HelpFile() + ".",
                   Answer::Ok);
    HelpSystem::ShowTopic("nothere.htm");
    prompts.expect(Kind::Error, "There is no help topic for context number 4242.", Answer::Ok);
    HelpSystem::ShowContext(4242);
    EXPECT_EQ(prompts.pending(), 0);

    // The help goes on working afterwards.
    HelpSystem::ShowContext(HelpContexts::GraphWindow);
    ASSERT_NE(help.window(), nullptr);
    EXPECT_EQ(help.window()->currentTitle(), "The Graph window");

    // A broken link inside the help window says so in the window, without a message box.
    help.window()->browser()->followLink(QUrl("gone.htm"));
    EXPECT_EQ(help.window()->currentTitle(), "Topic not found");
    EXPECT_TRUE(plainText(help.window()).contains("The help topic gone.htm was not found"));
    help.window()->backAction()->trigger();
    EXPECT_EQ(help.window()->currentTitle(), "The Graph window");
}

TEST(HelpViewer, CloseAllHidesTheWindowAndItComesBack) {
    InstalledViewer help;
    HelpSystem::ShowTopic("files.htm#import");
    ASSERT_NE(help.window(), nullptr);
    EXPECT_EQ(help.window()->browser()->source().fragment(), "import");
    HelpSystem::CloseAll();
    EXPECT_FALSE(help.window()->isVisible());
    HelpSystem::ShowTopic("collector.htm");
    EXPECT_TRUE(help.window()->isVisible());
    EXPECT_EQ(help.window()->currentTitle(), "Choosing the collector");
}

TEST(HelpContents, ReadsNestedSitemapsAndSkipsWhatItDoesNotKnow) {
    const QByteArray hhc = R"(<HTML><BODY>
<OBJECT type="text/site properties"><param name="Window Styles" value="0x800025"></OBJECT>
<UL>
 <LI><OBJECT type="text/sitemap"><param name="Name" value="A &amp; B"><param name="Local" value="a.htm"></OBJECT>
 <UL>
  <LI> <object TYPE='text/sitemap'><PARAM NAME=Name VALUE="Child"><PARAM name="Local" value="sub/c.htm#x"></object>
 </UL>
 <LI><OBJECT type="text/sitemap"><param name="Name" value="Book"></OBJECT>
 <UL><UL>
  <LI><OBJECT type="text/sitemap"><param name="Name" value="Deep"><param name="Local" value="d.htm"></OBJECT>
 </UL></UL>
 <LI><OBJECT type="text/sitemap"><param name="Local" value="nameless.htm"></OBJECT>
</UL>
<UL><LI><OBJECT type="text/sitemap"><param name="Name" value="Second list"><param name="Local" value="e.htm">
)";
    const auto entries = ParseSitemap(hhc);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].name, "A & B");
    EXPECT_EQ(entries[0].local, "a.htm");
    ASSERT_EQ(entries[0].children.size(), 1);
    EXPECT_EQ(entries[0].children[0].name, "Child");
    EXPECT_EQ(entries[0].children[0].local, "sub/c.htm#x");
    EXPECT_EQ(entries[1].name, "Book");
    EXPECT_TRUE(entries[1].local.isEmpty());
    ASSERT_EQ(entries[1].children.size(), 1);
    EXPECT_EQ(entries[1].children[0].name, "Deep");
    // The unterminated last object is dropped; nothing crashes on a cut-off file.
    EXPECT_TRUE(ParseSitemap(hhc.left(hhc.size() / 2)).size() >= 1);
    EXPECT_TRUE(ParseSitemap("</UL></UL><LI>").isEmpty());
}

// F1 in a modal dialog (Export, Select Port) gives a help window that still takes input.
TEST(HelpViewer, HelpFromAModalDialogTakesInput) {
    InstalledViewer help;
    QDialog dialog;
    dialog.setModal(true);
    dialog.show();
    ASSERT_TRUE(WaitUntil([&] { return QApplication::activeModalWidget() == &dialog; }, 2000));
    HelpSystem::ShowTopic("introduction.htm");
    THelpWindow* w = help.window();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    // A click that goes the way of a real one: blocked windows never see it.
    QTreeWidget* tree = w->contentsTree();
    QTreeWidgetItem* item = tree->topLevelItem(1);
    const QRect where = tree->visualItemRect(item);
    const QPoint inWindow = tree->viewport()->mapTo(w, where.center());
    QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {}, inWindow);
    EXPECT_TRUE(WaitUntil([&] { return w->currentTopic() == "mainwindow.htm"; }, 2000));
    dialog.close();

    // Without a modal dialog the window stands on its own again.
    HelpSystem::ShowTopic("collector.htm");
    EXPECT_EQ(w->windowHandle()->transientParent(), nullptr);
}
