#include "link/dialogs/TFName.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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

    // Enter anywhere in the dialog, the edit included, clicks the default button: once.
    OKBtn->setDefault(true);
    CancelBtn->setAutoDefault(false);
    connect(OKBtn, &QPushButton::clicked, this, &TFName::answerOk);
    connect(CancelBtn, &QPushButton::clicked, this, &TFName::answerCancel);

    if (mainWindow) {
        const QRect m = mainWindow->geometry();
        move(m.left() + m.width() / 2 - width() / 2, m.top() + m.height() / 2 - height() / 2);
    }
}

void TFName::answerOk() {
    if (m_answered)
        return;
    m_answered = true;
    const QString text = Edit1->text();
    auto ok = onOk;
    close();
    if (ok)
        ok(text);
}

void TFName::answerCancel() {
    if (m_answered)
        return;
    m_answered = true;
    auto cancel = onCancel;
    close();
    if (cancel)
        cancel();
}

// Escape.
void TFName::reject() {
    answerCancel();
}

// A close request from the window manager (Alt+F4) is a Cancel; the main window must not stay
// waiting for an answer that will never come.
void TFName::closeEvent(QCloseEvent* event) {
    if (!m_answered) {
        m_answered = true;
        if (onCancel)
            onCancel();
    }
    // Not QDialog's: it would turn the close into a reject, and the answer is given already.
    event->accept();
}
