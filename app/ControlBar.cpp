#include "app/ControlBar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolBar>
#include <algorithm>

namespace {

constexpr int kGripWidth = 9;
constexpr int kRowHeight = 30;

// The dotted handle at a band's left end.
class Grip final : public QWidget {
public:
    Grip(QToolBar* band, ControlBar* strip) : QWidget(band), m_band(band), m_strip(strip) {
        setFixedWidth(kGripWidth);
        setCursor(Qt::SizeAllCursor);
        setToolTip(QStringLiteral("Drag to move the toolbar"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(Qt::NoPen);
        for (int y = 5; y < height() - 4; y += 4) {
            p.setBrush(palette().color(QPalette::Light));
            p.drawRect(3, y + 1, 2, 2);
            p.setBrush(palette().color(QPalette::Dark));
            p.drawRect(2, y, 2, 2);
        }
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton)
            m_offset = e->globalPosition().toPoint() - m_band->pos();
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (e->buttons() & Qt::LeftButton)
            m_strip->dragBand(m_band, e->globalPosition().toPoint() - m_offset);
    }
    void mouseReleaseEvent(QMouseEvent*) override { m_strip->dropBand(m_band); }

private:
    QToolBar* m_band;
    ControlBar* m_strip;
    QPoint m_offset;
};

} // namespace

ControlBar::ControlBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ControlBar::addBand(QToolBar* toolbar) {
    toolbar->setParent(this);
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->insertWidget(toolbar->actions().value(0), new Grip(toolbar, this));
    toolbar->adjustSize();
    m_bands.append(toolbar);
}

void ControlBar::place(QToolBar* toolbar, int left, int top) {
    toolbar->adjustSize();
    toolbar->move(std::max(0, left), std::max(0, top));
    arrange(toolbar);
}

void ControlBar::setBandVisible(QToolBar* toolbar, bool visible) {
    toolbar->setVisible(visible);
    arrange(nullptr);
}

QSize ControlBar::sizeHint() const {
    int bottom = 0;
    for (const QToolBar* band : m_bands)
        if (!band->isHidden())
            bottom = std::max(bottom, band->geometry().bottom() + 1);
    return {200, std::max(kRowHeight, bottom + 2)};
}

int ControlBar::rowOf(int y) const {
    return (y + kRowHeight / 2) / kRowHeight;
}

void ControlBar::dragBand(QToolBar* toolbar, const QPoint& topLeft) {
    toolbar->move(std::max(0, topLeft.x()), std::max(0, rowOf(topLeft.y()) * kRowHeight + 2));
    toolbar->raise();
}

void ControlBar::dropBand(QToolBar* toolbar) {
    arrange(toolbar);
}

// Slides overlapping bands to the right, keeping the band just placed where it was put.
void ControlBar::arrange(QToolBar* fixed) {
    QList<QToolBar*> order;
    for (QToolBar* b : m_bands)
        if (!b->isHidden())
            order.append(b);
    std::stable_sort(order.begin(), order.end(), [fixed](QToolBar* a, QToolBar* b) {
        if (a->x() != b->x())
            return a->x() < b->x();
        return a == fixed && b != fixed;
    });
    for (int i = 0; i < order.size(); ++i) {
        for (int j = 0; j < i; ++j) {
            QToolBar* left = order[j];
            QToolBar* right = order[i];
            const bool sameRow =
                right->y() < left->geometry().bottom() && left->y() < right->geometry().bottom();
            if (sameRow && right->x() < left->geometry().right() + 1)
                right->move(left->geometry().right() + 1, right->y());
        }
    }
    updateGeometry();
}
