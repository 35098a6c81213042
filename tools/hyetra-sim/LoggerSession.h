#pragma once

#include "tools/hyetra-sim/ExchangeLog.h"
#include "tools/hyetra-sim/ReplyQueue.h"
#include "tools/hyetra-sim/SimOptions.h"
#include "tools/hyetra-sim/SimState.h"

#include <QByteArray>
#include <functional>

// The logger's side of the conversation: takes the bytes the program sends, one command at a
// time, and queues the replies. While a reply is still going out (or the memory is being
// cleared) the logger is busy and drops what it receives, as the instrument does.
class LoggerSession {
public:
    struct Hooks {
        std::function<void()> stateChanged;
        std::function<void()> vanish;
    };
    LoggerSession(const SimOptions& options, LoggerState& state, ReplyQueue& queue,
                  ExchangeLog& log, Hooks hooks);

    // lineSpeed: the baud rate the program set on the line (0 when unknown).
    void received(const QByteArray& bytes, qint64 nowMs, int lineSpeed);
    // Gives up a command whose text stopped coming. Returns ms until it next needs to run.
    int service(qint64 nowMs);

private:
    enum class Mode { Idle, ClockText, NameText };
    void command(char c);
    void finishClock();
    void finishName();
    void sendStatus();
    void startClear();
    void startDownload(bool newFormat);
    void pushLines(const QByteArray& bytes);
    void flushIgnored(const QString& why);

    const SimOptions& m_options;
    LoggerState& m_state;
    ReplyQueue& m_queue;
    ExchangeLog& m_log;
    Hooks m_hooks;
    Mode m_mode = Mode::Idle;
    QByteArray m_text;
    qint64 m_deadline = -1;
    bool m_skipLineFeed = false;
    QByteArray m_ignored;
};
