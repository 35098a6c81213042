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
    int Lines() const { return m_lines; } // lines counted so far
    QProgressBar* Gauge;
    QPushButton* AbortButton;
    std::function<void()> onAbort;

private:
    int m_recordCount;
    int m_lines = 0;
};
