#include "link/dialogs/TFConnect.h"

#include "ui/IntervalTimer.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

TFConnect::TFConnect(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("FConnect"));
    setWindowTitle(QStringLiteral("Connect"));
    setFixedSize(344, 90);
    setModal(false);

    Label1 = new QLabel(QStringLiteral("Connecting..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setGeometry(8, 32, 329, 16);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    CancelBtn = new QPushButton(QStringLiteral("&Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(138, 56, 76, 25);
    connect(CancelBtn, &QPushButton::clicked, this, [this] {
        if (onCancel)
            onCancel();
    });

    Timer1 = new IntervalTimer(50, this);
    Timer1->onTimer = [this] {
        ProgressBar1->setValue(
            ProgressBar1->value() >= ProgressBar1->maximum() ? 0 : ProgressBar1->value() + 1);
    };
    Timer1->setEnabled(true);

    centreLabel();
    if (mainWindow) {
        const QRect m = mainWindow->geometry();
        move(m.left() + m.width() / 2 - width() / 2, m.top() + m.height() / 2 - height() / 2);
    }
}

// Escape: hiding the dialog alone would leave the scan running with no way to stop it.
void TFConnect::reject() {
    if (onCancel)
        onCancel();
}

// A close request from the window manager (Alt+F4) is a Cancel too.
void TFConnect::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (onCancel)
        onCancel();
}

void TFConnect::ShowScanningPort(int port) {
    Label1->setText(QStringLiteral("Scanning Port %1...").arg(port));
    centreLabel();
}

void TFConnect::centreLabel() {
    Label1->adjustSize();
    Label1->move(width() / 2 - Label1->width() / 2, 8);
}
