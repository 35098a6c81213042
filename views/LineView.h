#pragma once

#include "views/ReportLines.h"
#include "views/TextPos.h"

#include <QAbstractScrollArea>

// A read-only view of many coloured lines. It keeps the lines as they are and paints only the
// visible ones, so a report of a full logger memory appears at once and scrolls smoothly. The
// selection runs over lines and characters, by mouse and keyboard, like a read-only text box.
class LineView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit LineView(QWidget* parent = nullptr);

    // Replaces the lines; the selection is removed and the view goes back to the top.
    void setLines(ReportLines lines);
    const ReportLines& lines() const { return m_lines; }
    int lineCount() const { return int(m_lines.texts.size()); }
    // All lines, each but the last followed by a line break.
    QString text() const;

    bool hasSelection() const { return m_anchor != m_cursor; }
    TextPos selectionStart() const { return std::min(m_anchor, m_cursor); }
    TextPos selectionEnd() const { return std::max(m_anchor, m_cursor); }
    void setSelection(TextPos anchor, TextPos cursor);
    void selectAll();
    void clearSelection();
    QString selectedText() const;
    // The selected text to the clipboard as plain text; nothing happens without a selection.
    void copy() const;

    int firstVisibleLine() const;
    int lineHeight() const;
    // Where a point of the viewport falls in the text.
    TextPos posAt(const QPoint& point) const;

signals:
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TextPos clamp(TextPos pos) const;
    TextPos endOfText() const;
    void moveCursor(TextPos pos, bool extend);
    void ensureVisible(int line);
    void updateScrollBar();
    int visibleLines() const;
    int columnAt(const QString& line, qreal x) const;
    qreal xOf(const QString& line, int column) const;

    ReportLines m_lines;
    TextPos m_anchor;
    TextPos m_cursor;
    bool m_dragging = false;
};
