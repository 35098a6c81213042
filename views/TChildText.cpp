#include "views/TChildText.h"

#include <QTextEdit>

TChildText::TChildText(ChildHost* host, QWidget* parent) : TChild(host, parent) {
    setWindowTitle(QStringLiteral("Text"));
    setWidget(new QTextEdit(this));
    resize(357, 338);
}

void TChildText::UpdateText() {}
void TChildText::StatusRefresh() {}
void TChildText::CopytoClipboardClick() {}
void TChildText::SelectAllClick() {}
void TChildText::DoPrint(QPrinter*) {}
