#include "app/StationPropertiesDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

QString StationPropertiesDialog::ZoneText(int32_t minutes) {
    const int32_t a = minutes < 0 ? -minutes : minutes;
    return QStringLiteral("UTC%1%2:%3")
        .arg(minutes < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(a / 60, 2, 10, QLatin1Char('0'))
        .arg(a % 60, 2, 10, QLatin1Char('0'));
}

StationPropertiesDialog::StationPropertiesDialog(QWidget* mainWindow,
                                                 const Archive::StationSettings& settings)
    : QDialog(mainWindow), m_settings(settings) {
    setObjectName(QStringLiteral("StationProperties"));
    setWindowTitle(QStringLiteral("Station Properties"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    resize(420, 280);

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    NameEdit = new QLineEdit(settings.Name, this);
    NameEdit->setObjectName(QStringLiteral("NameEdit"));
    form->addRow(QStringLiteral("Name"), NameEdit);
    ZoneBox = new QComboBox(this);
    ZoneBox->setObjectName(QStringLiteral("ZoneBox"));
    // Every quarter hour from UTC-12:00 to UTC+14:00, and the station's own if it is odd.
    for (int32_t m = -12 * 60; m <= 14 * 60; m += 15)
        ZoneBox->addItem(ZoneText(m), m);
    int index = ZoneBox->findData(settings.ZoneMinutes);
    if (index < 0) {
        ZoneBox->addItem(ZoneText(settings.ZoneMinutes), settings.ZoneMinutes);
        index = ZoneBox->count() - 1;
    }
    ZoneBox->setCurrentIndex(index);
    ZoneBox->setToolTip(QStringLiteral("The zone of the logger's clock, without daylight saving"));
    form->addRow(QStringLiteral("Logger clock zone"), ZoneBox);
    NotesEdit = new QPlainTextEdit(settings.Notes, this);
    NotesEdit->setObjectName(QStringLiteral("NotesEdit"));
    form->addRow(QStringLiteral("Notes"), NotesEdit);
    layout->addLayout(form);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    layout->addLayout(buttons);

    connect(OKBtn, &QPushButton::clicked, this, [this] {
        Archive::StationSettings s = m_settings;
        s.Name = NameEdit->text().trimmed();
        s.ZoneMinutes = ZoneBox->currentData().toInt();
        s.Notes = NotesEdit->toPlainText();
        auto handler = onOk;
        close();
        if (handler)
            handler(s);
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::close);
    if (mainWindow) {
        const QRect m = mainWindow->geometry();
        move(m.left() + m.width() / 2 - width() / 2, m.top() + m.height() / 2 - height() / 2);
    }
}
