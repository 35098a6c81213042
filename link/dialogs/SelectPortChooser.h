#pragma once

#include "link/PortChooser.h"

class QWidget;

// Asks with the Select Port dialog (modal).
class SelectPortChooser final : public PortChooser {
public:
    explicit SelectPortChooser(QWidget* parent = nullptr) : m_parent(parent) {}
    int choosePort() override;

private:
    QWidget* m_parent;
};
