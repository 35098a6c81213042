#include "views/TChildText.h"

#include "analysis/QualityState.h"
#include "data/DataUnit.h"
#include "export/WaitCursor.h"
#include "views/ChildHost.h"
#include "views/LineView.h"
#include "views/TChildGraph.h"
#include "views/TChildHyetograph.h"
#include "views/TextPrint.h"

#include <QMdiArea>
#include <QMenu>
#include <QPushButton>

namespace {

// The buttons over the report; the report fills the rest from y = 24 down.
class TextClient : public QWidget {
public:
    TextClient(QWidget* parent, QPushButton*& eventBtn, QPushButton*& dailyBtn, LineView*& memo)
        : QWidget(parent) {
        eventBtn = m_event = new QPushButton(QStringLiteral("&Event"), this);
        dailyBtn = m_daily = new QPushButton(QStringLiteral("&Daily"), this);
        memo = m_memo = new LineView(this);
        m_event->setGeometry(0, 0, 57, 25);
        m_daily->setGeometry(56, 0, 65, 25);
        m_event->setObjectName(QStringLiteral("EventBtn"));
        m_daily->setObjectName(QStringLiteral("DailyBtn"));
        m_memo->setObjectName(QStringLiteral("Memo1"));
        m_memo->lower();
    }

protected:
    void resizeEvent(QResizeEvent*) override { // FormResize
        m_memo->setGeometry(0, 24, width(), std::max(0, height() - 24));
    }

private:
    QPushButton* m_event;
    QPushButton* m_daily;
    LineView* m_memo;
};

} // namespace

TChildText::TChildText(ChildHost* host, QWidget* parent) : TChild(host, parent) {
    setWindowTitle(QStringLiteral("Text"));
    auto* client = new TextClient(this, m_eventBtn, m_dailyBtn, m_memo);
    setWidget(client);
    setMinimumWidth(195);
    resize(357, 338);

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    QAction* copy =
        m_popup->addAction(QStringLiteral("&Copy"), this, &TChildText::CopytoClipboardClick);
    copy->setObjectName(QStringLiteral("CopytoClipboard"));
    QAction* all =
        m_popup->addAction(QStringLiteral("&Select All"), this, &TChildText::SelectAllClick);
    all->setObjectName(QStringLiteral("SelectAll"));
    m_graphItem = m_popup->addAction(QStringLiteral("&Graph"), this, &TChildText::GraphClick);
    m_graphItem->setObjectName(QStringLiteral("Graph"));
    connect(m_popup, &QMenu::aboutToShow, this, &TChildText::PopupMenu1Popup);
    m_memo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_memo, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_popup->popup(m_memo->viewport()->mapToGlobal(pos)); });

    connect(m_eventBtn, &QPushButton::clicked, this, &TChildText::EventBtnClick);
    connect(m_dailyBtn, &QPushButton::clicked, this, &TChildText::DailyBtnClick);

    // FormCreate: the daily report.
    m_kind = ReportKind::Daily;
    build(m_kind);
}

void TChildText::build(ReportKind kind) {
    WaitCursor hourglass;
    m_lastBuilt = kind;
    ReportLines lines = BuildReportLines(kind);
    if (kind == ReportKind::Event)
        MarkFlaggedEvents(
            lines, Analysis::UndismissedFlags(Analysis::ActiveFlags(), Analysis::FlagDecisions()));
    m_memo->setLines(std::move(lines));
    setWindowTitle(kind == ReportKind::Event ? QStringLiteral("Text - Event")
                                             : QStringLiteral("Text - Daily"));
}

void TChildText::EventBtnClick() {
    m_kind = ReportKind::Event;
    build(m_kind);
}

void TChildText::DailyBtnClick() {
    m_kind = ReportKind::Daily;
    build(m_kind);
}

void TChildText::UpdateText() {
    build(m_kind);
}

void TChildText::StatusRefresh() {
    build(m_lastBuilt);
}

void TChildText::CopytoClipboardClick() {
    m_memo->copy();
}

void TChildText::SelectAllClick() {
    m_memo->selectAll();
}

void TChildText::PopupMenu1Popup() {
    m_graphItem->setEnabled(m_kind == ReportKind::Daily);
}

void TChildText::GraphClick() {
    DayRange range;
    if (m_lastBuilt == ReportKind::Event) {
        range = {0, DataUnit::DailyCount() - 1};
    } else {
        if (!m_memo->hasSelection())
            m_memo->selectAll();
        range = SelectionToDayRange(m_memo->selectionStart(), m_memo->selectionEnd());
        m_memo->clearSelection();
    }
    host()->SetGraphRange(range.first, range.last);
    for (TChildGraph* graph : host()->GraphWindows()) {
        graph->SetRange(range.first, range.last);
        if (graph->isMinimized())
            graph->showNormal();
        graph->show();
        if (QMdiArea* area = graph->mdiArea())
            area->setActiveSubWindow(graph);
    }
    if (!qobject_cast<TChildGraph*>(host()->ActiveChild()))
        host()->CreateGraphWindow();
    // Open hyetographs follow the same days.
    if (QMdiArea* area = mdiArea())
        for (QMdiSubWindow* w : area->subWindowList())
            if (auto* h = qobject_cast<TChildHyetograph*>(w))
                h->ShowDays(range.first, range.last);
}

QStringList TChildText::PrintLines() const {
    const TDateTime now = NowDateTime();
    QStringList lines;
    lines.reserve(m_memo->lineCount() + 5);
    lines << QStringLiteral("Rainfall Report") << QString()
          << QStringLiteral("Unit: ") + host()->Status().DeviceName
          << QStringLiteral("Date: ") + ShortDateText(now) + QLatin1Char(' ') + LongTimeText(now)
          << QString();
    lines += m_memo->lines().texts;
    return lines;
}

void TChildText::DoPrint(QPrinter* printer) {
    PrintTextLines(printer, QStringLiteral("Rainfall Report"), PrintLines());
}
