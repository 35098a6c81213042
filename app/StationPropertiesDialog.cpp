#include "app/StationPropertiesDialog.h"

#include "app/DialogButtons.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QSpinBox* MinutesBox(QWidget* parent, const char* name, int32_t value) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(0, 24 * 60);
    box->setSuffix(QStringLiteral(" min"));
    box->setValue(value);
    return box;
}

QDoubleSpinBox* AmountBox(QWidget* parent, const char* name, double value, double low, double high,
                          int decimals, const QString& suffix) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(low, high);
    box->setDecimals(decimals);
    box->setSuffix(suffix);
    box->setValue(value);
    return box;
}

} // namespace

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
    resize(440, 480);

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

    auto* quality = new QGroupBox(QStringLiteral("Quality flags"), this);
    auto* qualityForm = new QFormLayout(quality);
    TestTipEdit = MinutesBox(quality, "TestTipEdit", settings.TestTipMinutes);
    qualityForm->addRow(QStringLiteral("Test tips after a clock setting"), TestTipEdit);
    PreDownloadEdit = MinutesBox(quality, "PreDownloadEdit", settings.PreDownloadMinutes);
    qualityForm->addRow(QStringLiteral("Test tips before a download"), PreDownloadEdit);
    MinuteCeilingEdit = AmountBox(quality, "MinuteCeilingEdit", settings.MinuteCeilingMmH, 1,
                                  100000, 1, QStringLiteral(" mm/h"));
    qualityForm->addRow(QStringLiteral("Highest rate in a minute"), MinuteCeilingEdit);
    HourCeilingEdit = AmountBox(quality, "HourCeilingEdit", settings.HourCeilingMm, 1, 100000, 1,
                                QStringLiteral(" mm"));
    qualityForm->addRow(QStringLiteral("Most rain in an hour"), HourCeilingEdit);
    DayCeilingEdit = AmountBox(quality, "DayCeilingEdit", settings.DayCeilingMm, 1, 100000, 1,
                               QStringLiteral(" mm"));
    qualityForm->addRow(QStringLiteral("Most rain in a day"), DayCeilingEdit);
    layout->addWidget(quality);

    auto* calibration = new QGroupBox(QStringLiteral("Dynamic calibration"), this);
    auto* calibrationForm = new QFormLayout(calibration);
    TipTimeEdit = AmountBox(calibration, "TipTimeEdit", settings.TipTimeSeconds, 0, 10, 3,
                            QStringLiteral(" s"));
    TipTimeEdit->setSpecialValueText(QStringLiteral("Off"));
    calibrationForm->addRow(QStringLiteral("Tip time constant"), TipTimeEdit);
    // A hint only: the constant belongs to the bucket, and nothing is corrected until it is set.
    auto* hint = new QLabel(QStringLiteral("0 = off. 0.45 s is typical of a common 0.254 mm "
                                           "bucket."),
                            calibration);
    hint->setObjectName(QStringLiteral("TipTimeHint"));
    hint->setWordWrap(true);
    calibrationForm->addRow(QString(), hint);
    layout->addWidget(calibration);

    layout->addLayout(OkCancelRow(this, OKBtn, CancelBtn));

    connect(OKBtn, &QPushButton::clicked, this, [this] {
        Archive::StationSettings s = m_settings;
        s.Name = NameEdit->text().trimmed();
        s.ZoneMinutes = ZoneBox->currentData().toInt();
        s.Notes = NotesEdit->toPlainText();
        s.TestTipMinutes = TestTipEdit->value();
        s.PreDownloadMinutes = PreDownloadEdit->value();
        s.MinuteCeilingMmH = MinuteCeilingEdit->value();
        s.HourCeilingMm = HourCeilingEdit->value();
        s.DayCeilingMm = DayCeilingEdit->value();
        s.TipTimeSeconds = TipTimeEdit->value();
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
