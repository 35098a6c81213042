#pragma once

#include "views/TChild.h"

class QPrinter;

// The text report window: the event or daily report as coloured text.
class TChildText : public TChild {
    Q_OBJECT
public:
    explicit TChildText(ChildHost* host, QWidget* parent = nullptr);

    void UpdateText();
    void StatusRefresh();
    void CopytoClipboardClick();
    void SelectAllClick();
    void DoPrint(QPrinter* printer);
};
