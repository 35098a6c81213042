#pragma once

#include "views/TChild.h"

#include <QStringList>
#include <cstdint>
#include <vector>

class QBarSeries;
class QBarSet;
class QCategoryAxis;
class QChart;
class QChartView;
class QMenu;
class QPrinter;
class QValueAxis;

// The graph window: a range of days of the daily table as a bar chart.
class TChildGraph : public TChild {
    Q_OBJECT
public:
    explicit TChildGraph(ChildHost* host, QWidget* parent = nullptr);

    int32_t FirstDay() const { return m_firstDay; }
    int32_t LastDay() const { return m_lastDay; }
    // Sets the range and redraws.
    void SetRange(int32_t first, int32_t last);
    // Sets the range only; the next UpdateGraph draws it.
    void SetDays(int32_t first, int32_t last) {
        m_firstDay = first;
        m_lastDay = last;
    }
    void UpdateGraph();
    // The days of the daily table the zoomed chart shows; false when it is not zoomed.
    bool ZoomedDays(int32_t& first, int32_t& last) const;
    // The chart on one landscape page; the printer's orientation is restored afterwards.
    void DoPrint(QPrinter* printer);
    // The chart to the clipboard as a picture: a bitmap and a scalable (SVG) drawing.
    void CopyToClipboard();

    QChart* Chart1() const { return m_chart; }
    QChartView* ChartView() const { return m_view; }
    QBarSet* Series1() const { return m_set; }
    QValueAxis* LeftAxis() const { return m_left; }
    QCategoryAxis* BottomAxis() const { return m_bottom; }
    QMenu* PopupMenu1() const { return m_popup; }
    // The date text of each bar, in slot order.
    const QStringList& BarLabels() const { return m_labels; }
    // The slots that currently carry a visible date label.
    const std::vector<int>& LabelledSlots() const { return m_labelled; }

private:
    void relabel();
    void handZoomToHyetographs();

    int32_t m_firstDay = 0;
    int32_t m_lastDay = 0;
    QChart* m_chart = nullptr;
    QChartView* m_view = nullptr;
    QBarSeries* m_series = nullptr;
    QBarSet* m_set = nullptr;
    QValueAxis* m_left = nullptr;
    QCategoryAxis* m_bottom = nullptr;
    QMenu* m_popup = nullptr;
    QStringList m_labels;
    std::vector<int> m_labelled;
    bool m_relabelling = false;
};
