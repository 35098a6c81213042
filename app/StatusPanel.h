#pragma once

#include <QFrame>

class QLabel;

// The status panel at the bottom of the main window: connection icon and label, a separator and
// the status-line message.
class StatusPanel : public QFrame {
    Q_OBJECT
public:
    explicit StatusPanel(QWidget* parent = nullptr);

    void setConnected(bool connected);
    QLabel* ConnectImage;
    QLabel* ConnectLabel;
    QLabel* StatusLabel;
};
