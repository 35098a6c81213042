#include "link/dialogs/TComSelectForm.h"

#include "link/PortAvailable.h"
#include "link/PortMap.h"

#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TComSelectForm::TComSelectForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ComSelectForm"));
    setWindowTitle(QStringLiteral("Select Port"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);
    setFixedSize(220, 131);

    auto* box = new QFrame(this);
    box->setFrameShape(QFrame::StyledPanel);
    box->setFrameShadow(QFrame::Sunken);
    box->setGeometry(8, 8, 204, 49);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(2);
    layout->addWidget(new QLabel(QStringLiteral("The configured serial port is not valid."), box));
    layout->addWidget(new QLabel(QStringLiteral("Please choose another port."), box));

    PortsComboBox = new QComboBox(this);
    PortsComboBox->setObjectName(QStringLiteral("PortsComboBox"));
    PortsComboBox->setEditable(false);
    PortsComboBox->setGeometry(8, 64, 201, 23);
    for (int n = PortMap::FirstPort; n <= PortMap::LastPort; ++n)
        if (PortAvailable(n))
            PortsComboBox->addItem(PortMap::PortName(n));
    if (PortsComboBox->count() > 0)
        PortsComboBox->setCurrentIndex(0);

    OkBtn = new QPushButton(QStringLiteral("OK"), this);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setGeometry(32, 98, 75, 25);
    OkBtn->setDefault(true);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);

    AbortBtn = new QPushButton(QStringLiteral("Cancel"), this);
    AbortBtn->setObjectName(QStringLiteral("AbortBtn"));
    AbortBtn->setGeometry(114, 98, 75, 25);
    connect(AbortBtn, &QPushButton::clicked, this, &QDialog::reject);

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.left() + (area.width() - width()) / 2,
             area.top() + (area.height() - height()) / 2);
    }
}

int TComSelectForm::SelectedPort() const {
    const QString text = PortsComboBox->currentText();
    if (!text.startsWith(QLatin1String("COM")))
        return 0;
    return text.mid(3).toInt();
}
