#include "views/TChildQuality.h"

#include "analysis/QualityState.h"
#include "ui/OmbrexError.h"
#include "ui/Prompts.h"
#include "views/TChildHyetograph.h"
#include "views/TChildStorms.h"
#include "views/TChildText.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>
#include <QTableWidget>

#include <cstring>

using Analysis::FlagVerdict;

namespace {

QPushButton* Button(const char* name, const QString& text, const QString& tip) {
    auto* b = new QPushButton(text);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    return b;
}

} // namespace

TChildQuality::TChildQuality(ChildHost* host, QWidget* parent) : TChild(host, parent) {
    setWindowTitle(QStringLiteral("Quality"));
    m_table = new QTableWidget(0, 5);
    m_table->setObjectName(QStringLiteral("FlagTable"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Time"), QStringLiteral("Depth"),
                                        QStringLiteral("Flag"), QStringLiteral("Reason"),
                                        QStringLiteral("Decision")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->setWordWrap(false);
    m_table->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);

    auto* accept = Button("Accept", QStringLiteral("&Accept"),
                          QStringLiteral("Not real rain: analysis may leave these records out"));
    auto* dismiss = Button("Dismiss", QStringLiteral("&Dismiss"),
                           QStringLiteral("The records are fine: the flag is wrong"));
    auto* undo = Button("Undecide", QStringLiteral("&Undecide"),
                        QStringLiteral("Forget the decision on the selected flags"));
    m_kind = new QComboBox;
    m_kind->setObjectName(QStringLiteral("KindBox"));
    auto* acceptAll = Button("AcceptAll", QStringLiteral("Accept all"),
                             QStringLiteral("Accept every flag of the chosen kind"));
    auto* dismissAll = Button("DismissAll", QStringLiteral("Dismiss all"),
                              QStringLiteral("Dismiss every flag of the chosen kind"));
    connect(accept, &QPushButton::clicked, this, [this] { DecideSelected(FlagVerdict::Accepted); });
    connect(dismiss, &QPushButton::clicked, this,
            [this] { DecideSelected(FlagVerdict::Dismissed); });
    connect(undo, &QPushButton::clicked, this, [this] { DecideSelected(std::nullopt); });
    auto kindLetter = [this] { return char(m_kind->currentData().toInt()); };
    connect(acceptAll, &QPushButton::clicked, this,
            [this, kindLetter] { DecideAllOf(kindLetter(), FlagVerdict::Accepted); });
    connect(dismissAll, &QPushButton::clicked, this,
            [this, kindLetter] { DecideAllOf(kindLetter(), FlagVerdict::Dismissed); });

    m_summary = new QLabel;
    m_summary->setObjectName(QStringLiteral("Summary"));
    auto* row = new QHBoxLayout;
    row->addWidget(accept);
    row->addWidget(dismiss);
    row->addWidget(undo);
    row->addSpacing(16);
    row->addWidget(m_kind);
    row->addWidget(acceptAll);
    row->addWidget(dismissAll);
    row->addStretch(1);
    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_summary);
    layout->addWidget(m_table, 1);
    layout->addLayout(row);
    setWidget(body);
    resize(640, 320);
    Refresh();
}

void TChildQuality::Refresh() {
    const std::vector<TRainRecord> records = Analysis::EventTableCopy();
    const std::vector<std::string> flags =
        Analysis::FlagRecords(records, MillimetresPerTip(), Analysis::ActiveQualitySettings(),
                              Analysis::ActiveQualityContext());
    m_rows = BuildQualityRows(records, flags, Analysis::FlagDecisions());
    fill();
}

void TChildQuality::fill() {
    const Analysis::QualitySettings& settings = Analysis::ActiveQualitySettings();
    m_table->setUpdatesEnabled(false);
    m_table->setRowCount(int(m_rows.size()));
    int accepted = 0, dismissed = 0;
    int perKind[std::size(Analysis::kFlagLetters)] = {};
    for (size_t k = 0; k < m_rows.size(); ++k) {
        const QualityRow& r = m_rows[k];
        const bool marker = Analysis::IsMarkerDate(r.When);
        const QString when =
            marker ? (r.When == DataUnit::PowerResetDate ? QStringLiteral("Power reset")
                                                         : QStringLiteral("Sequence error"))
                   : LoggerTimeText(r.When);
        const QString depth = r.Message.isEmpty() ? DataUnit::FormatDepth(r.Tips) : r.Message;
        const QString cells[] = {when, depth, QString(QLatin1Char(r.Letter)),
                                 Analysis::FlagReason(r.Letter, settings), VerdictText(r.Decision)};
        for (int c = 0; c < 5; ++c) {
            auto* item = m_table->item(int(k), c);
            if (!item) {
                item = new QTableWidgetItem;
                m_table->setItem(int(k), c, item);
            }
            item->setText(cells[c]);
        }
        if (r.Decision)
            ++(r.Decision->Verdict == FlagVerdict::Accepted ? accepted : dismissed);
        if (const char* at = std::strchr(Analysis::kFlagLetters, r.Letter))
            ++perKind[at - Analysis::kFlagLetters];
    }
    m_table->resizeColumnsToContents();
    m_table->setUpdatesEnabled(true);

    const int chosen = m_kind->currentData().toInt();
    m_kind->clear();
    for (size_t i = 0; i + 1 < std::size(Analysis::kFlagLetters); ++i)
        if (perKind[i] > 0)
            m_kind->addItem(QStringLiteral("%1 (%2)")
                                .arg(QLatin1Char(Analysis::kFlagLetters[i]))
                                .arg(perKind[i]),
                            int(Analysis::kFlagLetters[i]));
    if (const int at = m_kind->findData(chosen); at >= 0)
        m_kind->setCurrentIndex(at);
    m_summary->setText(
        QStringLiteral("%1 flags: %2 accepted, %3 dismissed, %4 open.%5")
            .arg(m_rows.size())
            .arg(accepted)
            .arg(dismissed)
            .arg(int(m_rows.size()) - accepted - dismissed)
            .arg(Analysis::LeaveOutAcceptedFlags()
                     ? QStringLiteral(" Accepted flags are left out of the analysis.")
                     : QString()));
}

void TChildQuality::DecideSelected(std::optional<FlagVerdict> verdict) {
    std::vector<size_t> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        rows.push_back(size_t(index.row()));
    DecideRows(rows, verdict);
}

void TChildQuality::DecideRows(const std::vector<size_t>& rows,
                               std::optional<FlagVerdict> verdict) {
    // An archived station's store writes each decision through: one it cannot keep is said.
    try {
        ::DecideRows(Analysis::FlagDecisions(), m_rows, rows, verdict, NowDateTime());
    } catch (const OmbrexError& e) {
        Prompts::ShowError(e.message());
    }
    decided();
}

void TChildQuality::DecideAllOf(char letter, FlagVerdict verdict) {
    try {
        DecideKind(Analysis::FlagDecisions(), m_rows, letter, verdict, NowDateTime());
    } catch (const OmbrexError& e) {
        Prompts::ShowError(e.message());
    }
    decided();
}

// The event report and the hyetographs draw flags by the decisions; with accepted flags left
// out, the storms change with them.
void TChildQuality::decided() {
    Refresh();
    if (QMdiArea* area = mdiArea())
        for (QMdiSubWindow* w : area->subWindowList()) {
            if (auto* t = qobject_cast<TChildText*>(w))
                t->UpdateText();
            else if (auto* h = qobject_cast<TChildHyetograph*>(w))
                h->Refresh();
            else if (auto* s = qobject_cast<TChildStorms*>(w))
                s->UpdateStorms();
        }
}
