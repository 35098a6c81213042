#include "app/HelpViewer.h"

#include "app/HelpWindow.h"

HelpViewer::HelpViewer() = default;
HelpViewer::~HelpViewer() = default;

HelpSystem::Result HelpViewer::showTopic(const QString& helpFile, const QString& topic) {
    if (!m_window)
        m_window = std::make_unique<THelpWindow>();
    if (!m_window->openHelpFile(helpFile))
        return HelpSystem::Result::FileMissing;
    if (!m_window->hasTopic(topic))
        return HelpSystem::Result::TopicMissing;
    m_window->showTopic(topic);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    return HelpSystem::Result::Shown;
}

void HelpViewer::closeAll() {
    if (m_window)
        m_window->close();
}
