#pragma once

#include "views/TChild.h"

class QLabel;
class QProgressBar;
class QTimer;

// The device information window: what the last status reply said about the logger.
class TChildInfo : public TChild {
    Q_OBJECT
public:
    explicit TChildInfo(ChildHost* host, QWidget* parent = nullptr);

    // The connected look: the status values, the clock running.
    void EnableExecute();
    // The disconnected look: dashes, an empty bar, the clock stopped.
    void DisableExecute();

    QLabel* NameLabel = nullptr;
    QLabel* StatusLabel = nullptr;
    QLabel* ClockLabel = nullptr;
    QLabel* DateLabel = nullptr;
    QLabel* VerLabel = nullptr;
    QLabel* MemLabel = nullptr;
    QLabel* BattLabel = nullptr;
    QProgressBar* CapGauge = nullptr;
    QTimer* Timer1 = nullptr;

private:
    void Timer1Timer();
};
