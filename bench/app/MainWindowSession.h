#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class TFMain;

// The program's main window connected to the virtual logger at full speed, in a home folder of
// its own: what the app benchmarks start from.
class MainWindowSession {
public:
    // simArguments are added to the virtual logger's port and speed options.
    explicit MainWindowSession(const QStringList& simArguments);
    ~MainWindowSession();

    // Empty when the window is connected; else why not.
    QString error() const { return m_error; }
    TFMain& main() { return *m_main; }
    QString homePath() const { return m_home.path(); }

    // Sleeps in the event loop between events, as the running program does: a loop that polls
    // would add its own spinning to the program's CPU time.
    static bool WaitUntil(const std::function<bool()>& pred, int ms);

private:
    QTemporaryDir m_home;
    QProcess m_sim;
    std::unique_ptr<TFMain> m_main;
    QString m_error;
};
