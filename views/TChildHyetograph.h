#pragma once

#include "analysis/QualityFlags.h"
#include "analysis/Storms.h"
#include "views/HyetographBins.h"
#include "views/HyetographLayer.h"
#include "views/TChild.h"

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

class QChart;
class QChartView;
class QComboBox;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QMenu;
class QPrinter;
class QToolButton;
class QValueAxis;

// The hyetograph window: over a range of time, rain per interval as bars and the cumulative
// depth as a line, with storms, their I30 windows, gaps in the logging and flagged records shown.
class TChildHyetograph : public TChild {
    Q_OBJECT
public:
    explicit TChildHyetograph(ChildHost* host, QWidget* parent = nullptr);

    // Reads the tables and the quality state again (after a download, a load, a change of
    // collector, a decision on a flag).
    void Refresh();
    // Reads the tables again and shows all of them.
    void ShowAll();
    // The range shown from now on; earlier zooms are forgotten.
    void ShowRange(TDateTime from, TDateTime to);
    // Days of the daily table, both ends included.
    void ShowDays(int32_t firstDay, int32_t lastDay);
    // A storm with a little time either side.
    void ShowStorm(const Analysis::Storm& storm);
    // 0 chooses the interval from the range; otherwise one of kHyetographIntervals.
    void SetIntervalMinutes(int32_t minutes);
    // Narrows the range as dragging across the chart does; ZoomBack returns to the range before.
    void ZoomTo(TDateTime from, TDateTime to);
    bool ZoomBack();

    void DoPrint(QPrinter* printer);
    void CopyToClipboard();

    TDateTime RangeFrom() const;
    TDateTime RangeTo() const;
    int32_t IntervalMinutes() const { return m_interval; }
    const std::vector<HyetographBin>& Bins() const { return m_bins; }
    const std::vector<HyetographBin>& ShownBins() const { return m_shown; }
    const std::vector<Analysis::Storm>& Storms() const { return m_storms; }
    // What the mouse over the chart at this time reads.
    QString ReadoutAt(TDateTime t) const;
    QChart* Chart() const { return m_chart; }
    QChartView* ChartView() const { return m_view; }
    QLabel* Readout() const { return m_readout; }
    QMenu* PopupMenu() const { return m_popup; }
    HyetographLayer* Layer() const { return m_layer; }

private:
    void rebuild();
    void zoomPixels(int x0, int x1);
    void hoverAt(int x);
    double unitFactor() const;
    qreal axisValue(int64_t minute) const { return qreal(minute) * 60000.0 + m_axisOffset; }
    int64_t minuteOfAxis(qreal value) const {
        return int64_t(std::floor((value - m_axisOffset) / 60000.0 + 1.0 / 120.0));
    }
    void settle();

    HyetographInput m_input;
    std::vector<Analysis::Storm> m_storms;
    int64_t m_from = 0, m_to = 0; // minute numbers, [from, to)
    std::vector<std::pair<int64_t, int64_t>> m_zooms;
    int32_t m_chosenInterval = 0;
    int32_t m_interval = 60;
    int32_t m_shownWidth = 60; // minutes per shown bar
    double m_builtWidth = 0;   // the plot's width the bars were made for
    qreal m_axisOffset = 0;    // minute numbers to the time axis' milliseconds, for this range
    std::vector<HyetographBin> m_bins;
    std::vector<HyetographBin> m_shown;

    QChart* m_chart = nullptr;
    QChartView* m_view = nullptr;
    QDateTimeAxis* m_time = nullptr;
    QValueAxis* m_depth = nullptr;
    QValueAxis* m_total = nullptr;
    QLineSeries* m_depthRef = nullptr; // no points: ties the depth axis to the time axis
    HyetographLayer* m_layer = nullptr;
    QLineSeries* m_cumulative = nullptr;
    QComboBox* m_intervalBox = nullptr;
    QToolButton* m_back = nullptr;
    QLabel* m_readout = nullptr;
    QMenu* m_popup = nullptr;
};
