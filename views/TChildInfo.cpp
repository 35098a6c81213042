#include "views/TChildInfo.h"

#include <QLabel>

TChildInfo::TChildInfo(ChildHost* host, QWidget* parent) : TChild(host, parent) {
    setWindowTitle(QStringLiteral("Device Info"));
    setWidget(new QLabel(this));
    resize(200, 255);
}

void TChildInfo::EnableExecute() {}
void TChildInfo::DisableExecute() {}
