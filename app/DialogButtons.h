#pragma once

#include <QHBoxLayout>
#include <QPushButton>

// The OK and Cancel row the station dialogs end with: OK is the default button, so Enter acts
// as OK exactly once. Buttons may stand before the stretch (extra).
inline QHBoxLayout* OkCancelRow(QWidget* dialog, QPushButton*& ok, QPushButton*& cancel,
                                QPushButton* extra = nullptr) {
    auto* buttons = new QHBoxLayout;
    if (extra)
        buttons->addWidget(extra);
    buttons->addStretch();
    ok = new QPushButton(QStringLiteral("OK"), dialog);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    return buttons;
}
