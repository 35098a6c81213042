#pragma once

#include <QList>
#include <QString>

class QObject;

// Help context numbers of the program's windows and the topic each one opens. The help
// project's [MAP] and [ALIAS] sections carry the same numbers.
namespace HelpContexts {

inline constexpr int MainWindow = 1001;
inline constexpr int DeviceInfo = 1010;
inline constexpr int TextWindow = 1020;
inline constexpr int GraphWindow = 1030;
inline constexpr int ExportDialog = 1040;
inline constexpr int ConnectDialog = 1050;
inline constexpr int SelectPortDialog = 1051;
inline constexpr int SerialPortList = 1052;
inline constexpr int DownloadDialog = 1060;
inline constexpr int NameDialog = 1070;
inline constexpr int EraseDialog = 1071;
inline constexpr int AboutScreen = 1090;

struct Entry {
    int id;
    const char* alias;     // the project's IDH_ name
    const char* topic;     // path inside the help file, with an optional "#anchor"
    const char* className; // the window class that carries this context (or nullptr)
};

const QList<Entry>& Table();
// The topic of a context number; empty when none is linked to it.
QString Topic(int contextId);

// The property a widget may carry to name its own context number (e.g. a plain QDialog).
inline constexpr const char* Property = "helpContext";
void Set(QObject* widget, int contextId);
// The context of an object: its own "helpContext", else that of its class, else the nearest
// parent's. 0 when nothing on the way has one.
int ContextOf(const QObject* object);

} // namespace HelpContexts
