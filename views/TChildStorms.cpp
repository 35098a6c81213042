#include "views/TChildStorms.h"

#include "analysis/RainSeries.h"
#include "data/DataUnit.h"
#include "export/WaitCursor.h"
#include "views/ChildHost.h"
#include "views/TChildGraph.h"
#include "views/TChildHyetograph.h"
#include "views/TablePrint.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int kSortRole = Qt::UserRole;
constexpr int kStormRole = Qt::UserRole + 1; // the storm's index in Storms()

// Sorts by the value behind the text, not the text.
class ValueItem : public QTableWidgetItem {
public:
    using QTableWidgetItem::QTableWidgetItem;
    bool operator<(const QTableWidgetItem& other) const override {
        return data(kSortRole).toDouble() < other.data(kSortRole).toDouble();
    }
};

QTableWidget* NewTable(QWidget* parent, const char* name) {
    auto* t = new QTableWidget(parent);
    t->setObjectName(QLatin1String(name));
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::ExtendedSelection);
    t->verticalHeader()->setVisible(false);
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
    t->setAlternatingRowColors(true);
    return t;
}

QStringList RowTexts(const QTableWidget* table, int row) {
    QStringList cells;
    for (int c = 0; c < table->columnCount(); ++c)
        cells << (table->item(row, c) ? table->item(row, c)->text() : QString());
    return cells;
}

QStringList Headings(const QTableWidget* table) {
    QStringList h;
    for (int c = 0; c < table->columnCount(); ++c)
        h << table->horizontalHeaderItem(c)->text();
    return h;
}

} // namespace

TChildStorms::TChildStorms(ChildHost* host, QWidget* parent) : TChild(host, parent) {
    setWindowTitle(QStringLiteral("Storms"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/storms.svg")));
    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    auto* strip = new QHBoxLayout;
    strip->addWidget(new QLabel(QStringLiteral("Separation (dry minutes):"), client));
    m_separation = new QSpinBox(client);
    m_separation->setObjectName(QStringLiteral("SeparationBox"));
    m_separation->setRange(0, 10080);
    m_separation->setSingleStep(30);
    m_separation->setKeyboardTracking(false);
    m_separation->setToolTip(
        QStringLiteral("A new storm starts after more than this many minutes without rain"));
    strip->addWidget(m_separation);
    strip->addSpacing(12);
    strip->addWidget(new QLabel(QStringLiteral("Energy equation:"), client));
    m_energy = new QComboBox(client);
    m_energy->setObjectName(QStringLiteral("EnergyBox"));
    for (auto e : {Analysis::EnergyEquation::BrownFoster, Analysis::EnergyEquation::McGregor,
                   Analysis::EnergyEquation::Usle})
        m_energy->addItem(StormReport::EquationName(e));
    strip->addWidget(m_energy);
    strip->addStretch(1);
    auto* hyetograph = new QPushButton(QStringLiteral("Show &Hyetograph"), client);
    hyetograph->setObjectName(QStringLiteral("ShowHyetograph"));
    hyetograph->setToolTip(QStringLiteral("Show the selected storm in a hyetograph window"));
    connect(hyetograph, &QPushButton::clicked, this,
            [this] { ShowHyetograph(m_storms->currentRow()); });
    strip->addWidget(hyetograph);
    layout->addLayout(strip);
    m_quality = new QLabel(client);
    m_quality->setObjectName(QStringLiteral("QualityLine"));
    layout->addWidget(m_quality);

    m_tabs = new QTabWidget(client);
    m_tabs->setObjectName(QStringLiteral("Tabs"));
    m_storms = NewTable(m_tabs, "StormTable");
    m_tabs->addTab(m_storms, QStringLiteral("Storms"));
    auto* summaries = new QWidget(m_tabs);
    auto* both = new QVBoxLayout(summaries);
    both->setContentsMargins(0, 0, 0, 0);
    both->addWidget(new QLabel(QStringLiteral("Months"), summaries));
    m_months = NewTable(summaries, "MonthTable");
    both->addWidget(m_months, 3);
    both->addWidget(new QLabel(QStringLiteral("Years"), summaries));
    m_years = NewTable(summaries, "YearTable");
    both->addWidget(m_years, 1);
    m_tabs->addTab(summaries, QStringLiteral("Summaries"));
    layout->addWidget(m_tabs, 1);
    setWidget(client);
    resize(640, 360);

    m_options = host->StormOptions();
    m_separation->setValue(m_options.SeparationMinutes);
    m_energy->setCurrentIndex(int(m_options.Energy));
    connect(m_separation, &QSpinBox::valueChanged, this, &TChildStorms::optionsChanged);
    connect(m_energy, &QComboBox::currentIndexChanged, this, &TChildStorms::optionsChanged);
    connect(m_storms, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { ShowStormDays(row); });
    m_stormMenu = new QMenu(this);
    m_stormMenu
        ->addAction(QStringLiteral("Show Hyetograph"), this,
                    [this] { ShowHyetograph(m_storms->currentRow()); })
        ->setObjectName(QStringLiteral("MnuShowHyetograph"));
    m_storms->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_storms, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (m_storms->itemAt(at))
            m_stormMenu->popup(m_storms->viewport()->mapToGlobal(at));
    });
    UpdateStorms();
}

void TChildStorms::optionsChanged() {
    m_options.SeparationMinutes = m_separation->value();
    m_options.Energy = Analysis::EnergyEquation(std::max(0, m_energy->currentIndex()));
    host()->SetStormOptions(m_options);
    UpdateStorms();
    // The hyetographs shade the storms these options find.
    for (TChildHyetograph* h : host()->HyetographWindows())
        h->Refresh();
}

void TChildStorms::fill(QTableWidget* table, const QStringList& columns,
                        const std::vector<StormReport::Row>& rows) {
    table->setSortingEnabled(false);
    table->clear();
    table->setColumnCount(int(columns.size()));
    table->setHorizontalHeaderLabels(columns);
    table->setRowCount(int(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c) {
            auto* item = new ValueItem(rows[r][c].text);
            item->setData(kSortRole, rows[r][c].sortKey);
            item->setData(kStormRole, int(r));
            item->setTextAlignment(c == 0 || (c == 1 && table->objectName() == "StormTable")
                                       ? Qt::AlignLeft | Qt::AlignVCenter
                                       : Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(int(r), int(c), item);
        }
    }
    table->resizeColumnsToContents();
    table->setSortingEnabled(true);
}

void TChildStorms::UpdateStorms() {
    WaitCursor hourglass;
    const bool inches = DataUnit::IsInches();
    m_found = Analysis::AnalyseTables(m_options);

    const StormReport::Table storms = StormReport::StormTable(m_found, inches);
    fill(m_storms, storms.columns, storms.rows);
    m_storms->sortByColumn(0, Qt::AscendingOrder);
    const StormReport::Table months =
        StormReport::SummaryTable(m_found.Periods.Months, m_found.CorrectedPeriods.Months, inches);
    fill(m_months, months.columns, months.rows);
    m_months->sortByColumn(0, Qt::AscendingOrder);
    const StormReport::Table years =
        StormReport::SummaryTable(m_found.Periods.Years, m_found.CorrectedPeriods.Years, inches);
    fill(m_years, years.columns, years.rows);
    m_years->sortByColumn(0, Qt::AscendingOrder);
    m_quality->setText(StormReport::QualityText(m_found) + QLatin1Char('.'));
    setWindowTitle(QStringLiteral("Storms - %1 storms").arg(m_found.Storms.size()));
}

const Analysis::Storm* TChildStorms::stormAt(int row) const {
    const QTableWidgetItem* item = m_storms->item(row, 0);
    if (!item)
        return nullptr;
    const int index = item->data(kStormRole).toInt();
    if (index < 0 || size_t(index) >= m_found.Storms.size())
        return nullptr;
    return &m_found.Storms[size_t(index)];
}

void TChildStorms::ShowHyetograph(int row) {
    const Analysis::Storm* storm = stormAt(row);
    if (!storm)
        return;
    const Analysis::Storm chosen = *storm;
    QList<TChildHyetograph*> shown = host()->HyetographWindows();
    if (shown.isEmpty()) {
        if (TChildHyetograph* h = host()->CreateHyetographWindow())
            shown << h;
    }
    for (TChildHyetograph* h : shown) {
        h->ShowStorm(chosen);
        if (h->isMinimized())
            h->showNormal();
        h->show();
        if (QMdiArea* area = h->mdiArea())
            area->setActiveSubWindow(h);
    }
}

void TChildStorms::ShowStormDays(int row) {
    const Analysis::Storm* storm = stormAt(row);
    if (!storm)
        return;
    // Open hyetographs show the storm itself.
    for (TChildHyetograph* h : host()->HyetographWindows())
        h->ShowStorm(*storm);
    const double firstDay = std::floor(storm->Start);
    const double lastDay = std::floor(storm->End);
    int32_t first = -1, last = -1;
    bool out = false;
    for (int32_t i = 0; i < DataUnit::DailyCount(); ++i) {
        const double day = std::floor(DataUnit::GetDaily(i, out).DateTime);
        if (day >= firstDay && day <= lastDay) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0)
        return;
    host()->SetGraphRange(first, last);
    for (TChildGraph* graph : host()->GraphWindows()) {
        graph->SetRange(first, last);
        if (graph->isMinimized())
            graph->showNormal();
        graph->show();
        if (QMdiArea* area = graph->mdiArea())
            area->setActiveSubWindow(graph);
    }
    if (!qobject_cast<TChildGraph*>(host()->ActiveChild()))
        host()->CreateGraphWindow();
}

QString TChildStorms::CopyText() const {
    QStringList lines;
    auto add = [&](const QTableWidget* table) {
        lines << Headings(table).join(QLatin1Char('\t'));
        QList<int> rows;
        for (const QModelIndex& i : table->selectionModel()->selectedRows())
            rows << i.row();
        if (rows.isEmpty())
            for (int r = 0; r < table->rowCount(); ++r)
                rows << r;
        std::sort(rows.begin(), rows.end());
        for (int r : rows)
            lines << RowTexts(table, r).join(QLatin1Char('\t'));
    };
    if (m_tabs->currentIndex() == 0) {
        add(m_storms);
    } else {
        add(m_months);
        lines << QString();
        add(m_years);
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void TChildStorms::CopyToClipboard() {
    QApplication::clipboard()->setText(CopyText());
}

void TChildStorms::SelectAll() {
    if (m_tabs->currentIndex() == 0) {
        m_storms->selectAll();
    } else {
        m_months->selectAll();
        m_years->selectAll();
    }
}

QStringList TChildStorms::PrintHeader() const {
    const TDateTime now = NowDateTime();
    QString data = host()->DataSetName();
    if (data.isEmpty())
        data = QStringLiteral("(unnamed)");
    return {m_tabs->currentIndex() == 0 ? QStringLiteral("Storm Report")
                                        : QStringLiteral("Rainfall Summary"),
            QStringLiteral("Data: ") + data,
            StormReport::OptionsText(m_options, DataUnit::BucketFactor),
            StormReport::QualityText(m_found),
            QStringLiteral("Date: ") + ShortDateText(now) + QLatin1Char(' ') + LongTimeText(now),
            QString()};
}

void TChildStorms::DoPrint(QPrinter* printer) {
    std::vector<QStringList> rows;
    if (m_tabs->currentIndex() == 0) {
        for (int r = 0; r < m_storms->rowCount(); ++r)
            rows.push_back(RowTexts(m_storms, r));
        PrintTable(printer, QStringLiteral("Storm Report"), PrintHeader(), Headings(m_storms),
                   rows);
        return;
    }
    for (const QTableWidget* t : {m_months, m_years})
        for (int r = 0; r < t->rowCount(); ++r)
            rows.push_back(RowTexts(t, r));
    PrintTable(printer, QStringLiteral("Rainfall Summary"), PrintHeader(), Headings(m_months),
               rows);
}
