#pragma once

#include <QDialog>
#include <functional>

class QProgressBar;
class QPushButton;

// The download progress dialog: one step per line received, up to the logger's record count.
class TDLForm : public QDialog {
    Q_OBJECT
public:
    TDLForm(QWidget* mainWindow, int recordCount);

    void Advance();
    QProgressBar* Gauge;
    QPushButton* AbortButton;
    std::function<void()> onAbort;

private:
    int m_recordCount;
};
