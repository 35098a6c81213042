#include "app/StatusPanel.h"

#include <QIcon>
#include <QLabel>

StatusPanel::StatusPanel(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setFixedHeight(20);
    ConnectImage = new QLabel(this);
    ConnectImage->setGeometry(4, 2, 16, 16);
    ConnectImage->setObjectName(QStringLiteral("ConnectImage"));
    ConnectLabel = new QLabel(this);
    ConnectLabel->setGeometry(22, 1, 104, 18);
    ConnectLabel->setObjectName(QStringLiteral("ConnectLabel"));
    auto* separator = new QFrame(this);
    separator->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    separator->setGeometry(128, 1, 4, 18);
    StatusLabel = new QLabel(this);
    StatusLabel->setGeometry(136, 1, 600, 18);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->hide();
    setConnected(false);
}

void StatusPanel::setConnected(bool connected) {
    ConnectLabel->setText(connected ? QStringLiteral(" Connected")
                                    : QStringLiteral(" Not Connected"));
    const QString icon = connected ? QStringLiteral(":/icons/connected.svg")
                                   : QStringLiteral(":/icons/not-connected.svg");
    ConnectImage->setPixmap(QIcon(icon).pixmap(16, 16));
    ConnectImage->setProperty("imageIndex", connected ? 0 : 1);
}
