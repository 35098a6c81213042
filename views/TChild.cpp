#include "views/TChild.h"

#include "views/ChildHost.h"

#include <QCloseEvent>

TChild::TChild(ChildHost* host, QWidget* parent) : QMdiSubWindow(parent), m_host(host) {
    setAttribute(Qt::WA_DeleteOnClose);
    connect(this, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates before, Qt::WindowStates now) {
                if ((before & Qt::WindowActive) && !(now & Qt::WindowActive))
                    m_host->ChildDeactivate();
            });
}

void TChild::closeEvent(QCloseEvent* event) {
    m_host->ChildDeactivate();
    QMdiSubWindow::closeEvent(event);
}
