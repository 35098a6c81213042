#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class IntervalTimer;

// The Connect dialog shown while ports are scanned: an endless sweeping bar and the port being
// tried. Cancel is reported through onCancel; the dialog does not close itself.
class TFConnect : public QDialog {
    Q_OBJECT
public:
    explicit TFConnect(QWidget* mainWindow);

    void ShowScanningPort(int port);
    QLabel* Label1;
    QProgressBar* ProgressBar1;
    QPushButton* CancelBtn;
    IntervalTimer* Timer1;

    std::function<void()> onCancel;

private:
    void centreLabel();
};
