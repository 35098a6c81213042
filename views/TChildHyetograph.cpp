#include "views/TChildHyetograph.h"

#include "analysis/QualityState.h"
#include "views/ChartClipboard.h"

#include "data/DataUnit.h"
#include "ui/OmbrexError.h"
#include "ui/Prompts.h"
#include "views/ChildHost.h"
#include "views/GraphScale.h"
#include "views/PrinterOrientation.h"

#include <QBoxLayout>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeAxis>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QRubberBand>
#include <QToolButton>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <functional>

using Analysis::MinuteNumber;
using Analysis::MinuteTime;

namespace {

const QString kTitle = QStringLiteral("Hyetograph");

QString IntervalText(int32_t minutes) {
    return minutes == 1440 ? QStringLiteral("1 day") : QStringLiteral("%1 min").arg(minutes);
}

// Dragging across the chart with the left button picks a stretch of time to zoom into; the
// mouse over it reads out the interval under it.
class HyetographView : public QChartView {
public:
    HyetographView(QChart* chart, QWidget* parent) : QChartView(chart, parent) {
        setRenderHint(QPainter::Antialiasing, false);
        setMouseTracking(true);
        viewport()->setMouseTracking(true);
    }
    std::function<void(int, int)> onDrag;
    std::function<void(int)> onHover;
    std::function<void(const QPoint&)> onContextMenu;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton)
            return QChartView::mousePressEvent(event);
        m_pressed = event->position().toPoint();
        if (!m_band)
            m_band = new QRubberBand(QRubberBand::Rectangle, viewport());
        m_band->setGeometry(QRect(m_pressed, QSize()));
        m_band->show();
        event->accept();
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        const QPoint p = event->position().toPoint();
        if (m_band && m_band->isVisible()) {
            const QRectF plot = chart()->plotArea();
            m_band->setGeometry(QRect(QPoint(std::min(p.x(), m_pressed.x()), int(plot.top())),
                                      QPoint(std::max(p.x(), m_pressed.x()), int(plot.bottom()))));
        }
        if (onHover)
            onHover(p.x());
        QChartView::mouseMoveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || !m_band || !m_band->isVisible()) {
            event->accept();
            return;
        }
        m_band->hide();
        const int x = event->position().toPoint().x();
        if (std::abs(x - m_pressed.x()) > 3 && onDrag)
            onDrag(std::min(x, m_pressed.x()), std::max(x, m_pressed.x()));
        event->accept();
    }
    void contextMenuEvent(QContextMenuEvent* event) override {
        if (onContextMenu)
            onContextMenu(event->globalPos());
    }

private:
    QPoint m_pressed;
    QRubberBand* m_band = nullptr;
};

} // namespace

TChildHyetograph::TChildHyetograph(ChildHost* host, QWidget* parent) : TChild(host, parent) {
    setWindowTitle(kTitle);

    m_chart = new QChart;
    m_chart->setObjectName(QStringLiteral("HyetographChart"));
    m_chart->legend()->hide();
    m_chart->setBackgroundBrush(Qt::white);
    m_chart->setBackgroundRoundness(0);
    m_chart->setDropShadowEnabled(false);
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_chart->setMargins(QMargins(4, 4, 4, 4));

    m_depthRef = new QLineSeries;
    m_cumulative = new QLineSeries;
    m_cumulative->setPen(QPen(QColor(0, 120, 60), 2));

    m_time = new QDateTimeAxis;
    m_time->setTitleText(QStringLiteral("Time"));
    m_time->setTickCount(7);
    m_depth = new QValueAxis;
    m_depth->setLabelFormat(QStringLiteral("%.2f"));
    m_total = new QValueAxis;
    m_total->setLabelFormat(QStringLiteral("%.1f"));
    m_total->setGridLineVisible(false);
    m_chart->addAxis(m_time, Qt::AlignBottom);
    m_chart->addAxis(m_depth, Qt::AlignLeft);
    m_chart->addAxis(m_total, Qt::AlignRight);
    m_chart->addSeries(m_depthRef);
    m_depthRef->attachAxis(m_time);
    m_depthRef->attachAxis(m_depth);
    m_layer = new HyetographLayer(m_chart, m_time, m_depth);
    m_chart->addSeries(m_cumulative);
    m_cumulative->attachAxis(m_time);
    m_cumulative->attachAxis(m_total);

    auto* view = new HyetographView(m_chart, this);
    m_view = view;
    m_view->setObjectName(QStringLiteral("HyetographView"));
    view->onDrag = [this](int x0, int x1) { zoomPixels(x0, x1); };
    view->onHover = [this](int x) { hoverAt(x); };

    m_intervalBox = new QComboBox;
    m_intervalBox->setObjectName(QStringLiteral("IntervalBox"));
    m_intervalBox->addItem(QStringLiteral("Automatic"), 0);
    for (int32_t minutes : kHyetographIntervals)
        m_intervalBox->addItem(IntervalText(minutes), minutes);
    connect(m_intervalBox, &QComboBox::activated, this,
            [this](int index) { SetIntervalMinutes(m_intervalBox->itemData(index).toInt()); });
    m_back = new QToolButton;
    m_back->setObjectName(QStringLiteral("ZoomBack"));
    m_back->setText(QStringLiteral("Back"));
    m_back->setToolTip(QStringLiteral("Back to the range before the last zoom"));
    connect(m_back, &QToolButton::clicked, this, [this] { ZoomBack(); });
    m_readout = new QLabel;
    m_readout->setObjectName(QStringLiteral("Readout"));
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 2, 4, 0);
    bar->addWidget(new QLabel(QStringLiteral("Interval:")));
    bar->addWidget(m_intervalBox);
    bar->addWidget(m_back);
    bar->addSpacing(12);
    bar->addWidget(m_readout, 1);
    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(m_view, 1);
    setWidget(body);
    resize(640, 380);

    m_popup = new QMenu(this);
    m_popup->addAction(QStringLiteral("Print"), this,
                       [this] { Prompts::Guarded([this] { this->host()->MnuPrintClick(); }); });
    m_popup->addAction(QStringLiteral("Copy"), this,
                       [this] { Prompts::Guarded([this] { this->host()->MnuCopyClick(); }); });
    m_popup->addAction(QStringLiteral("Back"), this, [this] { ZoomBack(); });
    view->onContextMenu = [this](const QPoint& global) { m_popup->popup(global); };

    // A wider or narrower plot holds more or fewer bars.
    connect(m_chart, &QChart::plotAreaChanged, this, [this](const QRectF& plot) {
        m_layer->FrameChanged();
        if (std::abs(plot.width() - m_builtWidth) > 24)
            rebuild();
    });

    Refresh();
    // Days picked in a text window before this window was opened.
    if (DataUnit::DailyCount() > 0 && host->GraphLastDay() > host->GraphFirstDay())
        ShowDays(host->GraphFirstDay(), host->GraphLastDay());
}

void TChildHyetograph::Refresh() {
    m_input.Series = RainSeriesFromEvents();
    m_input.Spans = LoggedSpansFromEvents();
    m_input.MmPerTip = MillimetresPerTip();
    const std::vector<TRainRecord> records = Analysis::EventTableCopy();
    const std::vector<std::string> flags = Analysis::UndismissedFlags(
        Analysis::FlagRecords(records, m_input.MmPerTip, Analysis::ActiveQualitySettings(),
                              Analysis::ActiveQualityContext()),
        Analysis::FlagDecisions());
    std::vector<RainMinute> flagged;
    for (size_t i = 0; i < records.size(); ++i)
        if (!flags[i].empty() && records[i].Count > 0 &&
            !Analysis::IsMarkerDate(records[i].DateTime))
            flagged.push_back({MinuteTime(MinuteNumber(records[i].DateTime)), records[i].Count});
    std::stable_sort(flagged.begin(), flagged.end(), [](const RainMinute& a, const RainMinute& b) {
        return MinuteNumber(a.Minute) < MinuteNumber(b.Minute);
    });
    m_input.Flagged = std::move(flagged);
    // The storms the Storms window lists: same series, same options.
    m_storms = Analysis::FindStorms(Analysis::RainSeriesForAnalysis(), m_input.MmPerTip,
                                    host()->StormOptions());

    if (m_to <= m_from || m_input.Spans.empty()) {
        int64_t from = 0, to = 0;
        if (!m_input.Spans.empty()) {
            from = MinuteNumber(m_input.Spans.front().From);
            to = MinuteNumber(m_input.Spans.back().To) + 1;
            for (const LoggedSpan& s : m_input.Spans) {
                from = std::min(from, MinuteNumber(s.From));
                to = std::max(to, MinuteNumber(s.To) + 1);
            }
        }
        m_from = from;
        m_to = std::max(to, from + 60);
        m_zooms.clear();
    }
    rebuild();
}

void TChildHyetograph::ShowAll() {
    m_from = m_to = 0;
    Refresh();
}

void TChildHyetograph::ShowRange(TDateTime from, TDateTime to) {
    m_from = MinuteNumber(from);
    m_to = std::max(MinuteNumber(to), m_from + 1);
    m_zooms.clear();
    rebuild();
}

void TChildHyetograph::ShowDays(int32_t firstDay, int32_t lastDay) {
    TDateTime from = 0, to = 0;
    bool any = false;
    for (int32_t i = std::max(firstDay, 0); i <= lastDay && i < DataUnit::DailyCount(); ++i) {
        bool out = false;
        const TRainRecord r = DataUnit::GetDaily(i, out);
        if (out || Analysis::IsMarkerDate(r.DateTime))
            continue;
        const TDateTime day = MinuteTime(MinuteNumber(r.DateTime) / 1440 * 1440);
        from = any ? std::min(from, day) : day;
        to = any ? std::max(to, day + 1) : day + 1;
        any = true;
    }
    if (any)
        ShowRange(from, to);
}

void TChildHyetograph::ShowStorm(const Analysis::Storm& storm) {
    // A storm found with other options than this window's is drawn as it was chosen.
    const bool known = std::any_of(m_storms.begin(), m_storms.end(), [&](const Analysis::Storm& s) {
        return MinuteNumber(s.Start) == MinuteNumber(storm.Start) &&
               MinuteNumber(s.End) == MinuteNumber(storm.End);
    });
    if (!known) {
        m_storms.push_back(storm);
        std::sort(
            m_storms.begin(), m_storms.end(),
            [](const Analysis::Storm& a, const Analysis::Storm& b) { return a.Start < b.Start; });
    }
    const int64_t start = MinuteNumber(storm.Start);
    const int64_t end = MinuteNumber(storm.End) + 1;
    const int64_t margin = std::max<int64_t>(30, (end - start) / 10);
    ShowRange(MinuteTime(start - margin), MinuteTime(end + margin));
}

void TChildHyetograph::SetIntervalMinutes(int32_t minutes) {
    m_chosenInterval = minutes;
    const int index = m_intervalBox->findData(minutes);
    if (index >= 0)
        m_intervalBox->setCurrentIndex(index);
    rebuild();
}

void TChildHyetograph::ZoomTo(TDateTime from, TDateTime to) {
    const int64_t a = MinuteNumber(from);
    const int64_t b = MinuteNumber(to);
    if (b <= a)
        return;
    m_zooms.push_back({m_from, m_to});
    m_from = a;
    m_to = b;
    rebuild();
}

bool TChildHyetograph::ZoomBack() {
    if (m_zooms.empty())
        return false;
    std::tie(m_from, m_to) = m_zooms.back();
    m_zooms.pop_back();
    rebuild();
    return true;
}

TDateTime TChildHyetograph::RangeFrom() const {
    return MinuteTime(m_from);
}
TDateTime TChildHyetograph::RangeTo() const {
    return MinuteTime(m_to);
}

double TChildHyetograph::unitFactor() const {
    return DataUnit::IsInches() ? 1 / 25.4 : 1.0;
}

void TChildHyetograph::rebuild() {
    m_back->setEnabled(!m_zooms.empty());
    m_builtWidth = m_chart->plotArea().width();
    const int columns = std::max(50, int(m_builtWidth > 0 ? m_builtWidth : m_view->width() - 120));
    const int64_t span = m_to - m_from;
    m_interval = m_chosenInterval > 0 ? m_chosenInterval : AutoIntervalMinutes(span, columns / 3);
    m_bins = IntervalSums(m_input, m_from, m_to, m_interval);
    m_shown = DecimateBins(m_bins, columns);
    const size_t group =
        m_shown.empty() ? 1 : (m_bins.size() + m_shown.size() - 1) / m_shown.size();
    m_shownWidth = m_interval * int32_t(group);

    const double unit = unitFactor();
    const QString unitText = DataUnit::IsInches() ? QStringLiteral("in") : QStringLiteral("mm");
    const int64_t from = m_bins.empty() ? m_from : m_bins.front().Start;
    const int64_t to = m_bins.empty() ? m_to : m_bins.back().Start + m_interval;

    // One offset for the whole range: the axis reads local time, the minutes are local already.
    m_axisOffset = qreal(ToQDateTime(MinuteTime(from)).toMSecsSinceEpoch()) - qreal(from) * 60000.0;
    using Box = HyetographLayer::Box;
    std::vector<Box> bars, flagged;
    bars.reserve(m_shown.size());
    QList<QPointF> cumulative;
    cumulative.reserve(qsizetype(m_shown.size()) + 1);
    cumulative << QPointF(axisValue(from), 0);
    double highest = 0, total = 0;
    for (const HyetographBin& b : m_shown) {
        const qreal x0 = axisValue(b.Start);
        const qreal x1 = axisValue(std::min(b.Start + m_shownWidth, to));
        const double d = b.DepthMm * unit;
        if (d > 0)
            bars.push_back({x0, x1, 0, d});
        const double f = b.FlaggedMm * unit;
        if (f > 0)
            flagged.push_back({x0, x1, 0, f});
        highest = std::max(highest, d);
        total = b.CumulativeMm * unit;
        cumulative << QPointF(x1, total);
    }

    const ValueScale depthScale = ChooseValueScale(highest);
    const ValueScale totalScale = ChooseValueScale(total);
    m_depth->setRange(0, depthScale.max);
    m_total->setRange(0, totalScale.max);
    m_depth->setTitleText(
        QStringLiteral("Depth per %1 (%2)").arg(IntervalText(m_shownWidth), unitText));
    m_total->setTitleText(QStringLiteral("Cumulative depth (%1)").arg(unitText));
    m_time->setRange(QDateTime::fromMSecsSinceEpoch(qint64(axisValue(from))),
                     QDateTime::fromMSecsSinceEpoch(qint64(axisValue(to))));
    m_time->setFormat(to - from > 3 * 1440 ? QStringLiteral("MM/dd/yy")
                                           : QStringLiteral("MM/dd hh:mm"));

    // Bands stand from the axis to the top of the plot.
    const double top = depthScale.max;
    auto bands = [&](const std::vector<std::pair<int64_t, int64_t>>& stretches) {
        std::vector<Box> boxes;
        boxes.reserve(stretches.size());
        for (const auto& [a, b] : stretches)
            if (b > from && a < to)
                boxes.push_back({axisValue(std::max(a, from)), axisValue(std::min(b, to)), 0, top});
        return boxes;
    };
    std::vector<std::pair<int64_t, int64_t>> storms, i30;
    for (const Analysis::Storm& s : m_storms) {
        storms.push_back({MinuteNumber(s.Start), MinuteNumber(s.End) + 1});
        if (s.I30Start != 0)
            i30.push_back({MinuteNumber(s.I30Start), MinuteNumber(s.I30Start) + 30});
    }
    m_layer->SetBoxes(HyetographLayer::Storm, bands(storms));
    m_layer->SetBoxes(HyetographLayer::I30, bands(i30));
    m_layer->SetBoxes(HyetographLayer::Gap, bands(UncoveredStretches(m_input.Spans, from, to)));
    m_layer->SetBoxes(HyetographLayer::Bar, std::move(bars));
    m_layer->SetBoxes(HyetographLayer::Flagged, std::move(flagged));
    m_layer->FrameChanged();
    m_cumulative->replace(cumulative);
    m_chart->setTitle(QStringLiteral("%1 – %2").arg(LoggerTimeText(MinuteTime(from)),
                                                    LoggerTimeText(MinuteTime(to))));
}

void TChildHyetograph::zoomPixels(int x0, int x1) {
    const QPointF a = m_chart->mapToValue(m_view->mapToScene(QPoint(x0, 0)), m_cumulative);
    const QPointF b = m_chart->mapToValue(m_view->mapToScene(QPoint(x1, 0)), m_cumulative);
    const int64_t from = std::max(minuteOfAxis(a.x()), m_from);
    const int64_t to = std::min(minuteOfAxis(b.x()) + 1, m_to);
    if (to > from)
        ZoomTo(MinuteTime(from), MinuteTime(to));
}

void TChildHyetograph::hoverAt(int x) {
    const QPointF v = m_chart->mapToValue(m_view->mapToScene(QPoint(x, 0)), m_cumulative);
    const QString text = ReadoutAt(MinuteTime(minuteOfAxis(v.x())));
    m_readout->setText(text);
    m_view->setToolTip(text);
}

QString TChildHyetograph::ReadoutAt(TDateTime t) const {
    const int64_t minute = MinuteNumber(t);
    if (m_shown.empty() || minute < m_shown.front().Start ||
        minute >= m_shown.back().Start + m_shownWidth)
        return QString();
    const auto it = std::upper_bound(m_shown.begin(), m_shown.end(), minute,
                                     [](int64_t m, const HyetographBin& b) { return m < b.Start; });
    const HyetographBin& b = *(it - 1);
    const double unit = unitFactor();
    const QString unitText = DataUnit::IsInches() ? QStringLiteral("in") : QStringLiteral("mm");
    const QString when = LoggerTimeText(MinuteTime(b.Start)) + QStringLiteral(" – ") +
                         LoggerTimeText(MinuteTime(b.Start + m_shownWidth)).mid(9);
    if (!b.Covered)
        return when + QStringLiteral(": not logging");
    // Decimated bars show the largest interval of their group.
    const QString depth =
        m_shownWidth == m_interval
            ? QStringLiteral("%1 %2").arg(b.DepthMm * unit, 0, 'f', 2).arg(unitText)
            : QStringLiteral("up to %1 %2 per %3")
                  .arg(b.DepthMm * unit, 0, 'f', 2)
                  .arg(unitText, IntervalText(m_interval));
    return QStringLiteral("%1: %2, cumulative %3 %4")
        .arg(when, depth)
        .arg(b.CumulativeMm * unit, 0, 'f', 2)
        .arg(unitText);
}

// The chart lays out its titles and axes on posted events; a picture taken before they are
// delivered shows the range before.
void TChildHyetograph::settle() {
    QCoreApplication::sendPostedEvents();
}

void TChildHyetograph::DoPrint(QPrinter* printer) {
    const PrinterOrientation landscape(printer, QPageLayout::Landscape);
    printer->setDocName(kTitle);
    QPainter painter;
    if (!painter.begin(printer))
        throw OmbrexError(QStringLiteral("The printer could not be started."));
    const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
    settle();
    m_view->render(&painter, QRectF(0, 0, page.width(), page.height()), m_view->viewport()->rect(),
                   Qt::KeepAspectRatio);
    painter.end();
}

void TChildHyetograph::CopyToClipboard() {
    settle();
    CopyChartToClipboard(m_view, kTitle);
}
