#pragma once

#include "views/ReportLines.h"
#include "views/TChild.h"

class LineView;
class QAction;
class QMenu;
class QPrinter;
class QPushButton;

// The text report window: the event or daily report as coloured text.
class TChildText : public TChild {
    Q_OBJECT
public:
    explicit TChildText(ChildHost* host, QWidget* parent = nullptr);

    // Rebuilds the report of the kind this window shows.
    void UpdateText();
    // Rebuilds the report of the kind built last.
    void StatusRefresh();
    void CopytoClipboardClick();
    void SelectAllClick();
    void DoPrint(QPrinter* printer);

    void EventBtnClick();
    void DailyBtnClick();
    // Shows the selected days of the daily report (all days from the event report) as a graph.
    void GraphClick();

    ReportKind Kind() const { return m_kind; }
    LineView* Memo1() const { return m_memo; }
    QMenu* PopupMenu1() const { return m_popup; }
    QAction* GraphItem() const { return m_graphItem; }
    // The lines of the printout: the five header lines, then the report without its colours.
    QStringList PrintLines() const;

private:
    void build(ReportKind kind);
    void PopupMenu1Popup();

    ReportKind m_kind = ReportKind::Daily;
    ReportKind m_lastBuilt = ReportKind::Daily;
    QPushButton* m_eventBtn = nullptr;
    QPushButton* m_dailyBtn = nullptr;
    LineView* m_memo = nullptr;
    QMenu* m_popup = nullptr;
    QAction* m_graphItem = nullptr;
};
