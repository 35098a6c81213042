#include "app/AddToStationDialog.h"

#include "app/DialogButtons.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

AddToStationDialog::AddToStationDialog(QWidget* mainWindow, const QString& file,
                                       const QStringList& stations, const QString& proposed)
    : QDialog(mainWindow) {
    setObjectName(QStringLiteral("AddToStation"));
    setWindowTitle(QStringLiteral("Add Data File to Station"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Add \"%1\" to the station:").arg(file), this));
    StationBox = new QComboBox(this);
    StationBox->setObjectName(QStringLiteral("StationBox"));
    StationBox->setEditable(true);
    StationBox->addItems(stations);
    StationBox->setCurrentText(proposed);
    StationBox->setToolTip(QStringLiteral("A name that is not in the list makes a new station"));
    layout->addWidget(StationBox);

    layout->addLayout(OkCancelRow(this, OKBtn, CancelBtn));

    connect(OKBtn, &QPushButton::clicked, this, [this] {
        const QString name = StationBox->currentText().trimmed();
        if (name.isEmpty())
            return;
        auto handler = onOk;
        close();
        if (handler)
            handler(name);
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::close);
    resize(360, sizeHint().height());
}
