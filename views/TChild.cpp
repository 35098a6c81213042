#include "views/TChild.h"

#include "views/ChildHost.h"

#include <QCloseEvent>

TChild::TChild(ChildHost* host, QWidget* parent) : QMdiSubWindow(parent), m_host(host) {
    setAttribute(Qt::WA_DeleteOnClose);
    m_stateWatch = connect(this, &QMdiSubWindow::windowStateChanged, this,
                           [this](Qt::WindowStates before, Qt::WindowStates now) {
                               if ((before & Qt::WindowActive) && !(now & Qt::WindowActive))
                                   m_host->ChildDeactivate();
                           });
}

// The frame reports a last state change while it is taken down, when this part of the window
// is gone already.
TChild::~TChild() {
    disconnect(m_stateWatch);
}

void TChild::closeEvent(QCloseEvent* event) {
    m_host->ChildDeactivate();
    QMdiSubWindow::closeEvent(event);
}
