#include "app/OpenStationDialog.h"

#include "app/DialogButtons.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString RecordTime(TDateTime t) {
    return t == 0 ? QStringLiteral("-") : ShortDateText(t) + LoggerTimeText(t).mid(8);
}

QString Utc(const QDateTime& utc) {
    return utc.isValid() ? utc.toLocalTime().toString(QStringLiteral("MM/dd/yy hh:mm"))
                         : QStringLiteral("-");
}

} // namespace

OpenStationDialog::OpenStationDialog(QWidget* mainWindow,
                                     const std::vector<Archive::StationSummary>& stations)
    : QDialog(mainWindow) {
    setObjectName(QStringLiteral("OpenStation"));
    setWindowTitle(QStringLiteral("Open Station"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    resize(760, 320);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        stations.empty() ? QStringLiteral("The archive holds no station yet. Every completed "
                                          "download is kept there, or add a data file.")
                         : QStringLiteral("Stations in the archive:"),
        this));
    List = new QTreeWidget(this);
    List->setObjectName(QStringLiteral("StationList"));
    List->setRootIsDecorated(false);
    List->setHeaderLabels({QStringLiteral("Station"), QStringLiteral("First record"),
                           QStringLiteral("Last record"), QStringLiteral("Downloads"),
                           QStringLiteral("Records"), QStringLiteral("Last download")});
    for (const Archive::StationSummary& s : stations) {
        auto* item = new QTreeWidgetItem(List);
        QString name = s.Name;
        if (s.PendingDownloads > 0)
            name += QStringLiteral(" (%1 kept apart)").arg(s.PendingDownloads);
        item->setText(0, name);
        item->setText(1, RecordTime(s.FirstRecord));
        item->setText(2, RecordTime(s.LastRecord));
        item->setText(3, QString::number(s.Downloads));
        item->setText(4, QString::number(s.Records));
        item->setText(5, Utc(s.LastDownloadUtc));
        item->setTextAlignment(3, Qt::AlignRight);
        item->setTextAlignment(4, Qt::AlignRight);
        item->setData(0, Qt::UserRole, qlonglong(s.Id));
        item->setData(1, Qt::UserRole, s.PendingDownloads);
        item->setData(2, Qt::UserRole, s.Name);
    }
    for (int c = 0; c < List->columnCount(); ++c)
        List->resizeColumnToContents(c);
    layout->addWidget(List);

    AcceptBtn = new QPushButton(QStringLiteral("Accept Kept Downloads"), this);
    AcceptBtn->setObjectName(QStringLiteral("AcceptBtn"));
    AcceptBtn->setToolTip(QStringLiteral("Join the downloads whose check sum failed to the "
                                         "station's record"));
    layout->addLayout(OkCancelRow(this, OKBtn, CancelBtn, AcceptBtn));

    const auto open = [this] {
        const int64_t id = SelectedStation();
        if (id == 0)
            return;
        auto handler = onOpen;
        close();
        if (handler)
            handler(id);
    };
    connect(OKBtn, &QPushButton::clicked, this, open);
    connect(List, &QTreeWidget::itemDoubleClicked, this, open);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::close);
    connect(AcceptBtn, &QPushButton::clicked, this, [this] {
        const int64_t id = SelectedStation();
        auto handler = onAcceptKept;
        close();
        if (handler && id != 0)
            handler(id);
    });
    connect(List, &QTreeWidget::currentItemChanged, this, [this] { updateButtons(); });
    if (List->topLevelItemCount() > 0)
        List->setCurrentItem(List->topLevelItem(0));
    updateButtons();

    if (mainWindow) {
        const QRect m = mainWindow->geometry();
        move(m.left() + m.width() / 2 - width() / 2, m.top() + m.height() / 2 - height() / 2);
    }
}

int64_t OpenStationDialog::SelectedStation() const {
    const QTreeWidgetItem* item = List->currentItem();
    return item ? item->data(0, Qt::UserRole).toLongLong() : 0;
}

bool OpenStationDialog::SelectStation(const QString& name) {
    for (int i = 0; i < List->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = List->topLevelItem(i);
        if (item->data(2, Qt::UserRole).toString() == name) {
            List->setCurrentItem(item);
            return true;
        }
    }
    return false;
}

void OpenStationDialog::updateButtons() {
    const QTreeWidgetItem* item = List->currentItem();
    OKBtn->setEnabled(item != nullptr);
    AcceptBtn->setVisible(item && item->data(1, Qt::UserRole).toInt() > 0);
}
