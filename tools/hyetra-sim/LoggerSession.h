#pragma once

#include "tools/hyetra-sim/ExchangeLog.h"
#include "tools/hyetra-sim/ReplyQueue.h"
#include "tools/hyetra-sim/SimOptions.h"
#include "tools/hyetra-sim/SimState.h"

#include <QByteArray>
#include <functional>

// The logger's side of the conversation: takes the bytes the program sends, one command at a
// time, and queues the replies. While it wakes, answers or clears it is busy: what arrives
// meanwhile waits in its input buffer (or is dropped, with --busy-drops).
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
    // Takes held input once the logger is free, and gives up a command whose text stopped
    // coming. Returns ms until it next needs to run (-1: not before new input).
    int service(qint64 nowMs);

private:
    enum class Mode { Idle, ClockText, NameText };
    void take(char b, qint64 nowMs);
    void command(char c);
    void finishClock();
    void finishName();
    void sendStatus();
    void startClear();
    void startDownload(bool newFormat);
    void growMemory();
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
    QByteArray m_held;    // the input buffer: bytes that came while the logger was busy
    bool m_awake = false; // a ":" came and no command since
};
