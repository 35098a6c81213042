#include "help/HelpWindow.h"

#include "help/HelpBrowser.h"

#include <QAction>
#include <QHeaderView>
#include <QKeySequence>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {
const QString HomeTopic = QStringLiteral("introduction.htm");
constexpr int TopicRole = Qt::UserRole;
} // namespace

THelpWindow::THelpWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Ombrex 2 Help"));
    resize(860, 600);

    auto* splitter = new QSplitter(this);
    m_contents = new QTreeWidget(splitter);
    m_contents->setObjectName(QStringLiteral("HelpContents"));
    m_contents->setHeaderHidden(true);
    m_contents->setColumnCount(1);
    m_browser = new HelpBrowser(splitter);
    m_browser->setObjectName(QStringLiteral("HelpTopic"));
    m_browser->setHelpFile(&m_file);
    splitter->addWidget(m_contents);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({250, 610});
    setCentralWidget(splitter);

    QToolBar* bar = addToolBar(QStringLiteral("Help"));
    bar->setObjectName(QStringLiteral("HelpTools"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_showContents = bar->addAction(style()->standardIcon(QStyle::SP_FileDialogListView),
                                    QStringLiteral("&Contents"));
    m_showContents->setCheckable(true);
    m_showContents->setChecked(true);
    m_showContents->setToolTip(QStringLiteral("Show or hide the table of contents"));
    m_back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("&Back"));
    m_back->setShortcut(QKeySequence::Back);
    m_back->setEnabled(false);
    m_forward =
        bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("&Forward"));
    m_forward->setShortcut(QKeySequence::Forward);
    m_forward->setEnabled(false);
    m_home = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("&Home"));
    m_home->setToolTip(QStringLiteral("Back to the introduction"));

    connect(m_showContents, &QAction::toggled, m_contents, &QWidget::setVisible);
    connect(m_back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(m_home, &QAction::triggered, this, [this] { showTopic(HomeTopic); });
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &THelpWindow::sourceChanged);
    connect(m_contents, &QTreeWidget::itemClicked, this, &THelpWindow::contentsClicked);
    connect(m_contents, &QTreeWidget::itemActivated, this, &THelpWindow::contentsClicked);
}

THelpWindow::~THelpWindow() = default;

bool THelpWindow::openHelpFile(const QString& path) {
    if (m_file.isOpen() && m_file.path() == path)
        return true;
    m_browser->clearHistory();
    m_browser->clear();
    if (!m_file.open(path)) {
        m_contents->clear();
        return false;
    }
    fillContents();
    return true;
}

bool THelpWindow::hasTopic(const QString& topic) const {
    return m_file.contains(HelpBrowser::TopicPath(HelpBrowser::TopicUrl(topic)));
}

void THelpWindow::showTopic(const QString& topic) {
    m_browser->setSource(HelpBrowser::TopicUrl(topic));
}

QString THelpWindow::currentTopic() const {
    return HelpBrowser::TopicPath(m_browser->source());
}

QString THelpWindow::currentTitle() const {
    return m_browser->documentTitle();
}

void THelpWindow::fillContents() {
    m_contents->clear();
    const QString hhc = m_file.contentsPath();
    if (hhc.isEmpty())
        return;
    addEntries(nullptr, ParseSitemap(m_file.read(hhc)));
    m_contents->expandAll();
}

void THelpWindow::addEntries(QTreeWidgetItem* parent, const QList<HelpContentsEntry>& entries) {
    for (const HelpContentsEntry& e : entries) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_contents);
        item->setText(0, e.name);
        item->setData(0, TopicRole, e.local);
        item->setIcon(0, style()->standardIcon(e.children.isEmpty() ? QStyle::SP_FileIcon
                                                                    : QStyle::SP_DirIcon));
        addEntries(item, e.children);
    }
}

void THelpWindow::contentsClicked(QTreeWidgetItem* item) {
    const QString topic = item->data(0, TopicRole).toString();
    if (topic.isEmpty())
        return;
    m_browser->followLink(QUrl(QLatin1Char('/') + topic));
}

void THelpWindow::sourceChanged(const QUrl& url) {
    const QString title = currentTitle();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Ombrex 2 Help")
                                   : QStringLiteral("Ombrex 2 Help - ") + title);
    // Keep the contents in step with the page shown, without firing its click: the entry of
    // the very section if there is one, else the first of the page. The signal comes before
    // source() has the new address.
    const QString topic = HelpBrowser::TopicPath(url);
    const QString section = url.fragment();
    QTreeWidgetItem* best = nullptr;
    for (QTreeWidgetItemIterator it(m_contents); *it; ++it) {
        const QString local = (*it)->data(0, TopicRole).toString();
        if (local.isEmpty() ||
            local.section(QLatin1Char('#'), 0, 0).compare(topic, Qt::CaseInsensitive) != 0)
            continue;
        const QString anchor = local.section(QLatin1Char('#'), 1);
        if (!section.isEmpty() && anchor == section) {
            best = *it;
            break;
        }
        if (!best && anchor.isEmpty())
            best = *it;
    }
    if (best) {
        const QSignalBlocker block(m_contents);
        m_contents->setCurrentItem(best);
    }
}
