#pragma once

#include <QString>
#include <QStringList>

// The help system's diagnostic log: one line per help request, for finding out why a topic
// did not open on a user's machine.
namespace HelpSystem {

// The diagnostic log: on when the program folder holds "debug.debug" or the command line
// carries "/debug" or "-debug". Returns whether it is on.
bool ConfigureDebugLog(const QStringList& arguments);
void DisableDebugLog();
bool DebugLogEnabled();
QString DebugLogPath(); // UserConfigFolder() + "/Ombrex2-help.log"
// One line of the log (time, request, topic, result); nothing when the log is off.
void LogRequest(const QString& request, const QString& topic, const QString& result);

} // namespace HelpSystem
