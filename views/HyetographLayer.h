#pragma once

#include <QBrush>
#include <QGraphicsItem>
#include <QPen>
#include <QRectF>

#include <vector>

class QChart;
class QDateTimeAxis;
class QValueAxis;

// The rectangles of a hyetograph (bars, flagged parts, storm and I30 bands, gaps) drawn straight
// into the chart's plot area: a few thousand rectangles in one call each, where area series
// would fill one polygon per series at a cost that grows with the plot.
class HyetographLayer : public QGraphicsItem {
public:
    enum Kind { Gap, Storm, I30, Bar, Flagged, KindCount };
    // x in the time axis' milliseconds, y in the depth axis' units.
    struct Box {
        qreal x0, x1, y0, y1;
    };

    HyetographLayer(QChart* chart, QDateTimeAxis* time, QValueAxis* depth);
    void SetBoxes(Kind kind, std::vector<Box> boxes);
    const std::vector<Box>& Boxes(Kind kind) const { return m_boxes[kind]; }
    // The plot area moved or the axes changed their ranges.
    void FrameChanged();

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    QChart* m_chart;
    QDateTimeAxis* m_time;
    QValueAxis* m_depth;
    std::vector<Box> m_boxes[KindCount];
    QBrush m_brushes[KindCount];
    QPen m_pens[KindCount];
};
