#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class IntervalTimer;

// The Connect dialog shown while ports are scanned: an endless sweeping bar and the port being
// tried. Cancel, Escape and a close request are all reported through onCancel; the dialog does
// not close itself (the scan closes it).
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
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void centreLabel();
};
