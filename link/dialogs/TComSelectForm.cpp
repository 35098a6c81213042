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
#include <algorithm>

TComSelectForm::TComSelectForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ComSelectForm"));
    setWindowTitle(QStringLiteral("Select Port"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);

    auto* box = new QFrame(this);
    box->setFrameShape(QFrame::StyledPanel);
    box->setFrameShadow(QFrame::Sunken);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(2);
    layout->addWidget(new QLabel(QStringLiteral("The configured serial port is not valid."), box));
    layout->addWidget(new QLabel(QStringLiteral("Please choose another port."), box));

    PortsComboBox = new QComboBox(this);
    PortsComboBox->setObjectName(QStringLiteral("PortsComboBox"));
    PortsComboBox->setEditable(false);

    for (int n = PortMap::FirstPort; n <= PortMap::LastPort; ++n)
        if (PortAvailable(n))
            PortsComboBox->addItem(PortMap::PortName(n));
    if (PortsComboBox->count() > 0)
        PortsComboBox->setCurrentIndex(0);

    OkBtn = new QPushButton(QStringLiteral("OK"), this);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setDefault(true);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);

    AbortBtn = new QPushButton(QStringLiteral("Cancel"), this);
    AbortBtn->setObjectName(QStringLiteral("AbortBtn"));
    connect(AbortBtn, &QPushButton::clicked, this, &QDialog::reject);

    // 220 x 131 where the text fits; wider or taller where the font needs it, never cut.
    const QSize text = box->sizeHint();
    const int boxWidth = std::max(204, text.width());
    const int boxHeight = std::max(49, text.height());
    box->setGeometry(8, 8, boxWidth, boxHeight);
    const int formWidth = boxWidth + 16;
    const int comboTop = 8 + boxHeight + 7;
    PortsComboBox->setGeometry(8, comboTop, boxWidth - 3, 23);
    const int buttonsTop = comboTop + 34;
    const int okLeft = (formWidth - 157 + 1) / 2;
    OkBtn->setGeometry(okLeft, buttonsTop, 75, 25);
    AbortBtn->setGeometry(okLeft + 82, buttonsTop, 75, 25);
    setFixedSize(formWidth, buttonsTop + 33);

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
