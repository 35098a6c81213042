#pragma once

#include <QList>
#include <QWidget>

class QToolBar;

// The tool-bar strip: holds toolbars at free positions (left, top) that the user can drag within
// it by their grips. Toolbars never overlap: one that would is slid to the right of its
// neighbour. The strip's height follows its contents.
class ControlBar : public QWidget {
    Q_OBJECT
public:
    explicit ControlBar(QWidget* parent = nullptr);

    // Adds a toolbar with a grip at its left end; it becomes a child of the strip.
    void addBand(QToolBar* toolbar);
    void place(QToolBar* toolbar, int left, int top);
    void setBandVisible(QToolBar* toolbar, bool visible);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // Called by a grip while it is dragged.
    void dragBand(QToolBar* toolbar, const QPoint& topLeft);
    void dropBand(QToolBar* toolbar);

private:
    void arrange(QToolBar* fixed);
    int rowOf(int y) const;

    QList<QToolBar*> m_bands;
};
