#include "link/dialogs/TFName.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

TFName::TFName(QWidget* mainWindow, const QString& name)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("FName"));
    setWindowTitle(QStringLiteral("Set Device Name"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setFixedSize(290, 100);

    auto* label = new QLabel(QStringLiteral("Device Name"), this);
    label->move(12, 12);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(32);
    Edit1->setGeometry(12, 32, 266, 22);
    Edit1->setText(name);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(122, 66, 75, 25);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(203, 66, 75, 25);

    connect(OKBtn, &QPushButton::clicked, this, [this] {
        const QString text = Edit1->text();
        auto ok = onOk;
        close();
        if (ok)
            ok(text);
    });
    connect(CancelBtn, &QPushButton::clicked, this, [this] {
        auto cancel = onCancel;
        close();
        if (cancel)
            cancel();
    });
    // Enter posts the OK handling so it runs after the key's own handling has finished.
    connect(Edit1, &QLineEdit::returnPressed, this,
            [this] { QTimer::singleShot(0, OKBtn, &QPushButton::click); });

    if (mainWindow) {
        const QRect m = mainWindow->geometry();
        move(m.left() + m.width() / 2 - width() / 2, m.top() + m.height() / 2 - height() / 2);
    }
}

void TFName::keyPressEvent(QKeyEvent* event) {
    // Escape would close the dialog without telling the main window.
    if (event->key() == Qt::Key_Escape) {
        CancelBtn->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
