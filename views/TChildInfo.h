#pragma once

#include "views/TChild.h"

// The device information window: what the last status reply said about the logger.
class TChildInfo : public TChild {
    Q_OBJECT
public:
    explicit TChildInfo(ChildHost* host, QWidget* parent = nullptr);

    void EnableExecute();
    void DisableExecute();
};
