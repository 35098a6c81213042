#include "views/TChildGraph.h"

#include "views/ChartClipboard.h"
#include "views/TChildHyetograph.h"

#include "data/DataUnit.h"
#include "ui/OmbrexError.h"
#include "ui/Prompts.h"
#include "views/ChildHost.h"
#include "views/GraphScale.h"
#include "views/PrinterOrientation.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QContextMenuEvent>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QValueAxis>

namespace {

// Dragging with the left button zooms into the dragged rectangle (animated); dragging up and to
// the left undoes the zoom. The right button opens the pop-up menu instead of zooming out.
class GraphView : public QChartView {
public:
    GraphView(QChart* chart, QWidget* parent) : QChartView(chart, parent) {
        setRubberBand(QChartView::RectangleRubberBand);
        setRenderHint(QPainter::Antialiasing, false);
    }
    std::function<void(const QPoint&)> onContextMenu;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            m_pressed = event->position().toPoint();
            chart()->setAnimationOptions(QChart::SeriesAnimations | QChart::GridAxisAnimations);
        }
        QChartView::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::RightButton) {
            event->accept();
            return;
        }
        const QPoint released = event->position().toPoint();
        QChartView::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && released.x() < m_pressed.x() &&
            released.y() < m_pressed.y())
            chart()->zoomReset();
    }
    void contextMenuEvent(QContextMenuEvent* event) override {
        if (onContextMenu)
            onContextMenu(event->globalPos());
    }

private:
    QPoint m_pressed;
};

const QString kLabelSample = QStringLiteral("00/00/00");

} // namespace

TChildGraph::TChildGraph(ChildHost* host, QWidget* parent) : TChild(host, parent) {
    setWindowTitle(QStringLiteral("Graph"));

    m_chart = new QChart;
    m_chart->setObjectName(QStringLiteral("Chart1"));
    m_chart->setTitle(QStringLiteral("Daily Rainfall"));
    m_chart->legend()->hide();
    m_chart->setBackgroundBrush(Qt::white);
    m_chart->setBackgroundRoundness(0);
    m_chart->setDropShadowEnabled(false);
    m_chart->setAnimationOptions(QChart::NoAnimation);
    // The depths on the axis use the decimal separator the reports use.
    m_chart->setLocalizeNumbers(true);
    m_chart->setLocale(QLocale());

    m_set = new QBarSet(QString());
    m_set->setColor(Qt::red);
    m_set->setBorderColor(Qt::red);
    // A cosmetic pen: Qt Charts leaves out bars narrower than a pixel unless they have one.
    m_set->setPen(QPen(Qt::red, 0));
    m_set->setBrush(Qt::red);
    m_series = new QBarSeries;
    m_series->setObjectName(QStringLiteral("Series1"));
    m_series->setBarWidth(0.5);
    m_series->setLabelsVisible(false);
    m_series->append(m_set);
    m_chart->addSeries(m_series);

    m_left = new QValueAxis;
    m_left->setLabelFormat(QStringLiteral("%.2f"));
    m_left->setTickType(QValueAxis::TicksDynamic);
    m_left->setTickAnchor(0);
    m_left->setMinorTickCount(0);
    m_bottom = new QCategoryAxis;
    m_bottom->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_bottom->setGridLineVisible(false);
    m_bottom->setLabelsAngle(0);
    m_chart->addAxis(m_left, Qt::AlignLeft);
    m_chart->addAxis(m_bottom, Qt::AlignBottom);
    m_series->attachAxis(m_left);
    m_series->attachAxis(m_bottom);

    auto* view = new GraphView(m_chart, this);
    m_view = view;
    m_view->setObjectName(QStringLiteral("ChartView1"));
    setWidget(m_view);
    resize(467, 340);

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    m_popup
        ->addAction(QStringLiteral("Print"), this,
                    [this] { Prompts::Guarded([this] { this->host()->MnuPrintClick(); }); })
        ->setObjectName(QStringLiteral("MnuPrint"));
    m_popup
        ->addAction(QStringLiteral("Copy"), this,
                    [this] { Prompts::Guarded([this] { this->host()->MnuCopyClick(); }); })
        ->setObjectName(QStringLiteral("MnuCopy"));
    view->onContextMenu = [this](const QPoint& global) { m_popup->popup(global); };

    connect(m_chart, &QChart::plotAreaChanged, this, [this] { relabel(); });
    connect(m_bottom, &QValueAxis::rangeChanged, this, [this] {
        relabel();
        handZoomToHyetographs();
    });

    // FormCreate: a graph opened after a text window's Graph command takes its days.
    if (DataUnit::DailyCount() > 0) {
        m_firstDay = host->GraphFirstDay();
        m_lastDay = host->GraphLastDay();
    }
    UpdateGraph();
    host->SetGraphRange(0, 0);
}

void TChildGraph::SetRange(int32_t first, int32_t last) {
    m_firstDay = first;
    m_lastDay = last;
    UpdateGraph();
}

void TChildGraph::UpdateGraph() {
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_left->setTitleText(DataUnit::IsInches() ? QStringLiteral("Inches")
                                              : QStringLiteral("Millimeters"));
    QList<qreal> values;
    QStringList labels;
    const int32_t count = DataUnit::DailyCount();
    if (count > 0 && m_lastDay >= m_firstDay) {
        const int32_t first = std::max(m_firstDay, 0);
        const int32_t last = std::min(m_lastDay, count - 1);
        values.reserve(std::max(0, last - first + 1));
        labels.reserve(values.capacity());
        for (int32_t i = first; i <= last; ++i) {
            bool outOfRange = false;
            const TRainRecord r = DataUnit::GetDaily(i, outOfRange);
            if (outOfRange)
                continue;
            const int32_t product = int32_t(int64_t(r.Count) * DataUnit::BucketFactor);
            values << double(product) / 1000.0;
            labels << ShortDateText(r.DateTime);
        }
    }
    m_labels = labels;
    if (m_set->count() > 0)
        m_set->remove(0, m_set->count());
    m_set->append(values);

    double highest = 0;
    for (qreal v : values)
        highest = std::max(highest, v);
    const ValueScale scale = ChooseValueScale(highest);
    m_left->setRange(0, scale.max);
    m_left->setTickInterval(scale.step);
    m_chart->zoomReset();
    m_relabelling = true;
    m_bottom->setRange(-0.5, std::max<qreal>(0.5, values.size() - 0.5));
    m_relabelling = false;
    m_labelled.clear();
    relabel();
}

bool TChildGraph::ZoomedDays(int32_t& first, int32_t& last) const {
    if (!m_chart->isZoomed() || m_labels.isEmpty())
        return false;
    const int a = std::max(0, int(std::ceil(m_bottom->min())));
    const int b = std::min(int(std::floor(m_bottom->max())), int(m_labels.size()) - 1);
    if (b < a)
        return false;
    const int32_t shownFirst = std::max(m_firstDay, 0);
    first = shownFirst + a;
    last = shownFirst + b;
    return true;
}

// Days zoomed into here are the range the hyetographs show.
void TChildGraph::handZoomToHyetographs() {
    int32_t first = 0, last = 0;
    if (m_relabelling || !ZoomedDays(first, last))
        return;
    for (TChildHyetograph* h : host()->HyetographWindows())
        h->ShowDays(first, last);
}

void TChildGraph::relabel() {
    if (m_relabelling)
        return;
    const double width = m_chart->plotArea().width();
    const int first = int(std::ceil(m_bottom->min()));
    const int last = std::min(int(std::floor(m_bottom->max())), int(m_labels.size()) - 1);
    const QFontMetricsF fm(m_bottom->labelsFont());
    const double labelWidth = fm.horizontalAdvance(kLabelSample) * 1.5;
    std::vector<int> chosen = ChooseLabelledSlots(first, last, width, labelWidth);
    if (chosen == m_labelled && m_bottom->count() == int(chosen.size()))
        return;
    m_relabelling = true;
    m_labelled = std::move(chosen);
    for (const QString& label : m_bottom->categoriesLabels())
        m_bottom->remove(label);
    QStringList texts;
    for (int slot : m_labelled)
        texts << m_labels[slot];
    texts = MadeUnique(texts);
    for (size_t i = 0; i < m_labelled.size(); ++i)
        m_bottom->append(texts[qsizetype(i)], m_labelled[i]);
    m_relabelling = false;
}

void TChildGraph::DoPrint(QPrinter* printer) {
    const PrinterOrientation landscape(printer, QPageLayout::Landscape);
    printer->setDocName(QStringLiteral("Daily Rainfall"));
    QPainter painter;
    if (!painter.begin(printer))
        throw OmbrexError(QStringLiteral("The printer could not be started."));
    const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_view->render(&painter, QRectF(0, 0, page.width(), page.height()), m_view->viewport()->rect(),
                   Qt::KeepAspectRatio);
    painter.end();
}

void TChildGraph::CopyToClipboard() {
    CopyChartToClipboard(m_view, QStringLiteral("Daily Rainfall"));
}
