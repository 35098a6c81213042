#include "help/HelpKeyFilter.h"

#include "help/HelpContexts.h"
#include "help/HelpSystem.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWhatsThis>
#include <QWidget>

namespace {

void showContextOf(const QObject* where) {
    const int context = HelpContexts::ContextOf(where);
    HelpSystem::ShowContext(context ? context : HelpSystem::MainContext);
}

} // namespace

HelpKeyFilter::HelpKeyFilter(QObject* parent) : QObject(parent) {}

bool HelpKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || !watched->isWidgetType())
            break;
        // Shift+F1: context help, the next click names the window.
        if (key->modifiers() == Qt::ShiftModifier && !QWhatsThis::inWhatsThisMode()) {
            QWhatsThis::enterWhatsThisMode();
            return true;
        }
        if (key->modifiers() != Qt::NoModifier)
            break;
        // Inside the help window F1 has nothing more to offer.
        if (static_cast<QWidget*>(watched)->window()->inherits("THelpWindow"))
            return true;
        // Key events go to the focus widget first; the help of the window that holds it.
        showContextOf(watched);
        return true;
    }
    case QEvent::QueryWhatsThis:
        if (watched->isWidgetType() && HelpContexts::ContextOf(watched)) {
            event->accept();
            return true;
        }
        break;
    case QEvent::WhatsThis:
        if (watched->isWidgetType() && HelpContexts::ContextOf(watched)) {
            showContextOf(watched);
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
