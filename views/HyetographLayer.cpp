#include "views/HyetographLayer.h"

#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QPainter>
#include <QValueAxis>

HyetographLayer::HyetographLayer(QChart* chart, QDateTimeAxis* time, QValueAxis* depth)
    : QGraphicsItem(chart), m_chart(chart), m_time(time), m_depth(depth) {
    // Above the grid, below the cumulative line.
    setZValue(3.5);
    m_brushes[Gap] = QBrush(QColor(110, 110, 110), Qt::BDiagPattern);
    m_brushes[Storm] = QBrush(QColor(222, 233, 250));
    m_brushes[I30] = QBrush(QColor(176, 204, 244));
    m_brushes[Bar] = QBrush(QColor(28, 84, 160));
    m_brushes[Flagged] = QBrush(QColor(232, 112, 0));
    m_pens[Gap] = Qt::NoPen;
    m_pens[Storm] = Qt::NoPen;
    m_pens[I30] = QPen(QColor(90, 130, 200), 0);
    // Cosmetic outlines keep bars narrower than a pixel visible.
    m_pens[Bar] = QPen(QColor(28, 84, 160), 0);
    m_pens[Flagged] = QPen(QColor(232, 112, 0), 0);
}

void HyetographLayer::SetBoxes(Kind kind, std::vector<Box> boxes) {
    m_boxes[kind] = std::move(boxes);
    update();
}

void HyetographLayer::FrameChanged() {
    prepareGeometryChange();
    update();
}

QRectF HyetographLayer::boundingRect() const {
    return m_chart->plotArea();
}

void HyetographLayer::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    const QRectF plot = m_chart->plotArea();
    const qreal x0 = qreal(m_time->min().toMSecsSinceEpoch());
    const qreal x1 = qreal(m_time->max().toMSecsSinceEpoch());
    const qreal y0 = m_depth->min(), y1 = m_depth->max();
    if (x1 <= x0 || y1 <= y0 || plot.isEmpty())
        return;
    const qreal sx = plot.width() / (x1 - x0);
    const qreal sy = plot.height() / (y1 - y0);
    painter->save();
    painter->setClipRect(plot);
    painter->setRenderHint(QPainter::Antialiasing, false);
    QList<QRectF> rects;
    for (int kind = 0; kind < KindCount; ++kind) {
        rects.clear();
        rects.reserve(qsizetype(m_boxes[kind].size()));
        for (const Box& b : m_boxes[kind]) {
            const qreal left = plot.left() + (std::max(b.x0, x0) - x0) * sx;
            const qreal right = plot.left() + (std::min(b.x1, x1) - x0) * sx;
            if (right <= left)
                continue;
            const qreal top = plot.bottom() - (std::min(b.y1, y1) - y0) * sy;
            const qreal bottom = plot.bottom() - (std::max(b.y0, y0) - y0) * sy;
            rects.append(QRectF(QPointF(left, top), QPointF(right, bottom)));
        }
        painter->setPen(m_pens[kind]);
        painter->setBrush(m_brushes[kind]);
        painter->drawRects(rects.constData(), int(rects.size()));
    }
    painter->restore();
}
