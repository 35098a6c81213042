#pragma once

#include <QList>

// Which commands each of the main window's actions enables or disables. Kept as data so the
// table can be checked without a window.
namespace CommandState {

enum class Command {
    AutoDetect,
    ManualConnect,
    Disconnect,
    Download,
    SetClock,
    SetId,
    Clear,
    SaveAs,
    Export,
    Print,
    Copy,
    SelectAll,
};

enum class Action {
    Connect,
    Disconnect,
    NoData,
    GotData,
    ActivateInfo,
    ActivateText,
    ActivateGraph,
    ActivateStorms,
};

struct Change {
    Command command;
    bool enabled;
};

QList<Change> Changes(Action action);

} // namespace CommandState
