#pragma once

#include "help/HelpSystem.h"

#include <memory>

class THelpWindow;

// The program's help viewer: one help window, made when first needed, that shows topics out
// of the compiled help file.
class HelpViewer final : public HelpSystem::Viewer {
public:
    HelpViewer();
    ~HelpViewer() override;

    HelpSystem::Result showTopic(const QString& helpFile, const QString& topic) override;
    void closeAll() override;

    // The window, or nullptr before the first topic was shown.
    THelpWindow* window() const { return m_window.get(); }

private:
    std::unique_ptr<THelpWindow> m_window;
};
