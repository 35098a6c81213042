#include "export/WaitCursor.h"

#include <QCursor>
#include <QGuiApplication>

WaitCursor::WaitCursor() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_active = true;
}

WaitCursor::~WaitCursor() {
    if (m_active)
        QGuiApplication::restoreOverrideCursor();
}
