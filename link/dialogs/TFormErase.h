#pragma once

#include <QDialog>
#include <functional>

class QProgressBar;
class IntervalTimer;

// "Please wait." while the logger erases its memory: a 31-second bar that cannot be cancelled.
// Created once and reused; when its time is up it calls onTimeUp (the main window takes input
// again) and closes. Each time it becomes the active window its bar starts again from 0. Only
// its own time-up and Finish close it: a close request from the window manager is refused.
class TFormErase : public QDialog {
    Q_OBJECT
public:
    explicit TFormErase(QWidget* mainWindow);

    void Start();  // shows the dialog; the bar starts when it becomes active
    void Finish(); // closes it before its time (the logger answered)
    void reject() override;
    QProgressBar* ProgressBar1;
    IntervalTimer* Timer1;
    std::function<void()> onTimeUp;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void restartBar();
    QWidget* m_main;
    bool m_finishing = false;
};
