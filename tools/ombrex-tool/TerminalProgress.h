#pragma once

#include <QElapsedTimer>
#include <QString>

#include <csignal>

// A progress bar on stderr, drawn only when stderr is a terminal and the work has taken more
// than a second, so quick runs and redirected output stay clean.
class TerminalProgress {
public:
    explicit TerminalProgress(const QString& label);
    ~TerminalProgress();
    void show(double fraction);
    void finish();

private:
    QString m_label;
    QElapsedTimer m_clock;
    bool m_terminal;
    bool m_drawn = false;
    int m_lastPercent = -1;
};

// While one lives, Ctrl+C asks the work to stop (Interrupted() turns true) instead of killing
// the process; a second Ctrl+C removes any unfinished output file and ends at once.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    static bool Interrupted();

private:
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
};
