#pragma once

#include <QDialog>
#include <functional>

class QProgressBar;
class IntervalTimer;

// "Please wait." while the logger erases its memory: a 31-second bar that cannot be cancelled.
// Created once and reused; when its time is up it calls onTimeUp (the main window takes input
// again) and closes.
class TFormErase : public QDialog {
    Q_OBJECT
public:
    explicit TFormErase(QWidget* mainWindow);

    void Start(); // shows the dialog; the bar starts when it becomes active
    QProgressBar* ProgressBar1;
    IntervalTimer* Timer1;
    std::function<void()> onTimeUp;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* m_main;
};
