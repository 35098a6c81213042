#include "help/HelpViewer.h"

#include "help/HelpWindow.h"

#include <QApplication>
#include <QScreen>
#include <QWindow>

namespace {

// Help asked for from a modal dialog must not be blocked by it: the help window then rides on
// the dialog (a window that belongs to the modal one takes input), otherwise it stands alone.
void followModalDialog(QWidget* help) {
    help->winId();
    QWindow* own = help->windowHandle();
    QWidget* modal = QApplication::activeModalWidget();
    QWindow* dialog = modal && modal != help ? modal->window()->windowHandle() : nullptr;
    if (own && own->transientParent() != dialog)
        own->setTransientParent(dialog);
}

// First shown at the right of the screen, so the main window's left part (the Device Info and
// Text windows) stays in sight.
void placeBesideTheProgram(QWidget* help) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    const QSize size = help->size().boundedTo(free.size() - QSize(40, 60));
    help->resize(size);
    help->move(free.right() - size.width() - 20, free.top() + 40);
}

} // namespace

HelpViewer::HelpViewer() = default;
HelpViewer::~HelpViewer() = default;

HelpSystem::Result HelpViewer::showTopic(const QString& helpFile, const QString& topic) {
    if (!m_window) {
        m_window = std::make_unique<THelpWindow>();
        placeBesideTheProgram(m_window.get());
    }
    if (!m_window->openHelpFile(helpFile))
        return HelpSystem::Result::FileMissing;
    if (!m_window->hasTopic(topic))
        return HelpSystem::Result::TopicMissing;
    m_window->showTopic(topic);
    followModalDialog(m_window.get());
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    return HelpSystem::Result::Shown;
}

void HelpViewer::closeAll() {
    if (m_window)
        m_window->close();
}
