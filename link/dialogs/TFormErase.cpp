#include "link/dialogs/TFormErase.h"

#include "ui/IntervalTimer.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>

TFormErase::TFormErase(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_main(mainWindow) {
    setObjectName(QStringLiteral("FormErase"));
    setWindowTitle(QStringLiteral("Please wait."));
    setModal(false);
    setFixedSize(300, 110);

    auto* title = new QLabel(QStringLiteral("Erasing Hyetra Memory...."), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->move(16, 12);
    auto* note = new QLabel(QStringLiteral("This process can not be aborted."), this);
    note->move(16, 36);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setRange(0, 31);
    ProgressBar1->setGeometry(16, 64, 268, 18);

    Timer1 = new IntervalTimer(1000, this);
    Timer1->onTimer = [this] {
        ProgressBar1->setValue(ProgressBar1->value() + 1);
        if (ProgressBar1->value() > 30) {
            // Closed first, so what the time-up has to say is not shown over a finished gauge.
            Finish();
            if (onTimeUp)
                onTimeUp();
        }
    };
}

void TFormErase::Start() {
    if (m_main) {
        const QRect m = m_main->geometry();
        move(m.left() + m.width() / 2 - width() / 2, m.top() + m.height() / 2 - height() / 2);
    }
    show();
    raise();
    activateWindow();
    // Window activation is not delivered everywhere (offscreen, some window managers); starting
    // here as well keeps the 31 seconds honest.
    restartBar();
}

void TFormErase::Finish() {
    m_finishing = true;
    close();
    m_finishing = false;
}

void TFormErase::restartBar() {
    ProgressBar1->setValue(0);
    Timer1->restart();
}

bool TFormErase::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && isVisible())
        restartBar();
    return QDialog::event(e);
}

// The erase cannot be cancelled, and closing the window would leave the main window waiting
// with nothing left to end the wait: only the time-up and Finish close it.
void TFormErase::closeEvent(QCloseEvent* e) {
    if (!m_finishing) {
        e->ignore();
        return;
    }
    Timer1->setEnabled(false);
    e->accept();
}

void TFormErase::reject() {
    // Escape: the erase cannot be cancelled.
}

void TFormErase::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(e);
}
