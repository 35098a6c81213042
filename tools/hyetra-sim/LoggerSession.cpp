#include "tools/hyetra-sim/LoggerSession.h"

#include "tools/hyetra-sim/LoggerReplies.h"

#include <QTimeZone>

namespace {
// How long the text behind "k" or "m" may take to arrive.
constexpr int kCommandTextMs = 3000;
// The logger needs a moment to set its clock before it answers.
constexpr int kClockSettleMs = 30;
// Line noise for the garbage fault: no line ends, no '!', no letters.
const QByteArray kNoise("\xFF\x00~\x1F#", 5);
} // namespace

LoggerSession::LoggerSession(const SimOptions& options, LoggerState& state, ReplyQueue& queue,
                             ExchangeLog& log, Hooks hooks)
    : m_options(options), m_state(state), m_queue(queue), m_log(log), m_hooks(std::move(hooks)) {}

namespace {
// The logger's receive buffer; what comes on top of a full one is lost.
constexpr qsizetype kInputBuffer = 64;
} // namespace

void LoggerSession::received(const QByteArray& bytes, qint64 nowMs, int lineSpeed) {
    if (m_options.has(Fault::Silent)) {
        m_log.ignored(bytes, QStringLiteral("silent"));
        return;
    }
    // A serial line at another speed only carries noise; the USB logger ignores the setting.
    if (m_options.model == 1 && lineSpeed != 0 && lineSpeed != 9600) {
        m_log.ignored(bytes,
                      QStringLiteral("line set to %1 baud, the logger speaks 9600").arg(lineSpeed));
        return;
    }
    for (const char b : bytes) {
        // The text behind "k" and "m" is read as it comes; everything else waits while busy.
        if (m_mode == Mode::Idle && (!m_queue.idle() || !m_held.isEmpty())) {
            if (m_options.busyDrops) {
                flushIgnored(QStringLiteral("not a command"));
                m_log.ignored(QByteArray(1, b), QStringLiteral("busy"));
            } else if (m_held.size() >= kInputBuffer) {
                m_log.ignored(QByteArray(1, b), QStringLiteral("input buffer full"));
            } else {
                m_held += b;
            }
            continue;
        }
        take(b, nowMs);
    }
    flushIgnored(QStringLiteral("not a command"));
}

void LoggerSession::take(char b, qint64 nowMs) {
    switch (m_mode) {
    case Mode::ClockText:
        if (b >= '0' && b <= '9') {
            m_text += b;
            m_deadline = nowMs + kCommandTextMs;
            if (m_text.size() == 13)
                finishClock();
            return;
        }
        m_log.ignored(m_text, QStringLiteral("clock text cut short"));
        m_mode = Mode::Idle;
        break;
    case Mode::NameText:
        if (b == '\r' || b == '\n') {
            finishName();
            m_skipLineFeed = b == '\r';
        } else if (m_text.size() > 200) {
            m_log.ignored(m_text, QStringLiteral("name without line end"));
            m_mode = Mode::Idle;
        } else {
            m_text += b;
            m_deadline = nowMs + kCommandTextMs;
        }
        return;
    case Mode::Idle:
        break;
    }
    if (m_skipLineFeed) {
        m_skipLineFeed = false;
        if (b == '\n')
            return;
    }
    if (b == ':' || b == 'Q' || b == 'k' || b == 'm' || b == 'c' || b == 'o' || b == 'y') {
        flushIgnored(QStringLiteral("not a command"));
        if (b != ':' && m_options.strictWake && !m_awake) {
            m_log.ignored(QByteArray(1, b), QStringLiteral("not woken by \":\""));
            return;
        }
        m_awake = b == ':';
        if (b == 'k' || b == 'm') {
            m_mode = b == 'k' ? Mode::ClockText : Mode::NameText;
            m_text = QByteArray(1, b);
            m_deadline = nowMs + kCommandTextMs;
        } else {
            command(b);
        }
    } else {
        m_ignored += b;
    }
}

int LoggerSession::service(qint64 nowMs) {
    // Free again: the held input is read as if it had just come.
    while (!m_held.isEmpty() && m_queue.idle()) {
        const char b = m_held.front();
        m_held.remove(0, 1);
        take(b, nowMs);
    }
    flushIgnored(QStringLiteral("not a command"));
    if (!m_held.isEmpty() && !m_queue.idle() && m_mode == Mode::Idle)
        return -1; // the reply queue says when it is done
    if (m_mode == Mode::Idle)
        return -1;
    if (nowMs < m_deadline)
        return int(m_deadline - nowMs);
    m_log.ignored(m_text, m_mode == Mode::ClockText ? QStringLiteral("clock text cut short")
                                                    : QStringLiteral("name without line end"));
    m_mode = Mode::Idle;
    return -1;
}

void LoggerSession::flushIgnored(const QString& why) {
    if (m_ignored.isEmpty())
        return;
    m_log.ignored(m_ignored, why);
    m_ignored.clear();
}

void LoggerSession::pushLines(const QByteArray& bytes) {
    if (!m_options.has(Fault::SlowLines)) {
        m_queue.pushBytes(bytes);
        return;
    }
    qsizetype from = 0;
    while (from < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', from);
        end = end < 0 ? bytes.size() : end + 1;
        m_queue.pushBytes(bytes.mid(from, end - from));
        // Only a finished line is followed by the pause: a prompt after the last line end is
        // the logger waiting for a command, not sending.
        if (bytes.at(end - 1) == '\n')
            m_queue.pushPause(m_options.lineDelayMs);
        from = end;
    }
}

void LoggerSession::command(char c) {
    m_log.received(QByteArray(1, c));
    switch (c) {
    case ':': {
        const QByteArray reply = PromptReply();
        m_queue.pushPause(m_options.promptDelayMs);
        m_log.sent(QStringLiteral("prompt"), reply.size());
        // The prompt goes out in one piece, slow lines or not: its delay is --prompt-delay.
        m_queue.pushBytes(reply);
        break;
    }
    case 'Q':
        sendStatus();
        break;
    case 'c':
        startClear();
        break;
    case 'o':
        startDownload(false);
        break;
    case 'y':
        startDownload(true);
        break;
    default:
        break;
    }
}

void LoggerSession::sendStatus() {
    if (m_options.has(Fault::NoStatus)) {
        m_log.event(QStringLiteral("status not answered (no-status fault)"));
        return;
    }
    StatusValues v;
    v.name = m_state.name;
    v.clock = LoggerNow(m_state.clockOffsetMs);
    v.records = int(m_state.memory.records.size());
    v.days = int(std::max<qint64>(0, m_state.memory.start.date().daysTo(v.clock.date())));
    v.version = m_options.version;
    v.battery = m_options.battery;
    StatusCut cut = StatusCut::None;
    if (m_options.has(Fault::StatusHalf))
        cut = StatusCut::HalfWay;
    else if (m_options.has(Fault::StatusCut))
        cut = StatusCut::AfterDays;
    else if (m_options.has(Fault::StatusShort))
        cut = StatusCut::ShortEnd;
    const QByteArray reply = StatusReply(v, cut);
    ++m_state.statusReplies;
    m_log.sent(QStringLiteral("status"), reply.size());
    pushLines(reply);
}

void LoggerSession::finishClock() {
    m_mode = Mode::Idle;
    m_log.received(m_text);
    const QByteArray digits = m_text.mid(1);
    const auto pair = [&](int i) { return digits.mid(2 * i, 2).toInt(); };
    const QDate date(FullYear(pair(0)), pair(1), pair(2));
    const QTime time(pair(3), pair(4), pair(5));
    if (date.isValid() && time.isValid()) {
        const LoggerTime set = LoggerTime(date, time, QTimeZone::utc());
        m_state.clockOffsetMs = PcWallClock().msecsTo(set);
        RestartClockDrift();
        ++m_state.clockSets;
        m_log.event(QStringLiteral("clock set to %1").arg(ClockText(set)));
        m_hooks.stateChanged();
    } else {
        m_log.event(QStringLiteral("clock text %1 is no valid time; clock unchanged")
                        .arg(QString::fromLatin1(digits)));
    }
    if (m_options.has(Fault::ClockSilent)) {
        m_log.event(QStringLiteral("clock not answered (clock-silent fault)"));
        return;
    }
    const QByteArray reply = ClockReply(m_options.model);
    m_queue.pushPause(kClockSettleMs);
    m_queue.pushStep([this, size = reply.size()] { m_log.sent(QStringLiteral("clock"), size); });
    pushLines(reply);
}

void LoggerSession::finishName() {
    m_mode = Mode::Idle;
    m_log.received(m_text + "\r\n");
    m_state.name = QString::fromLatin1(m_text.mid(1)).left(32);
    ++m_state.renames;
    m_log.event(QStringLiteral("renamed to \"%1\"").arg(m_state.name));
    m_hooks.stateChanged();
}

void LoggerSession::startClear() {
    m_log.event(QStringLiteral("clearing the memory (%1 ms)").arg(m_options.clearDelayMs));
    m_queue.pushPause(m_options.clearDelayMs);
    m_queue.pushStep([this] {
        const LoggerTime now = LoggerNow(m_state.clockOffsetMs);
        m_state.memory.records.clear();
        m_state.memory.start = now.addSecs(-now.time().second());
        ++m_state.clears;
        m_log.event(QStringLiteral("memory cleared"));
        m_hooks.stateChanged();
    });
    if (m_options.has(Fault::ClearSilent)) {
        m_queue.pushStep(
            [this] { m_log.event(QStringLiteral("clear not answered (clear-silent fault)")); });
        return;
    }
    const QByteArray reply =
        m_options.has(Fault::ClearNoLineEnd) ? QByteArrayLiteral("OK") : ClearReply();
    m_queue.pushStep([this, size = reply.size()] { m_log.sent(QStringLiteral("clear"), size); });
    m_queue.pushBytes(reply);
}

void LoggerSession::startDownload(bool newFormat) {
    const QList<QByteArray> lines = DownloadLines(m_state.memory, m_options.version, newFormat);
    QByteArray covered;
    for (const QByteArray& line : lines)
        covered += line;
    quint16 crc = DownloadCrc(covered);
    if (m_options.has(Fault::WrongCrc))
        crc = quint16(crc + 1);

    // Where the mid-transfer faults strike: half-way through the record lines.
    const qsizetype middle = 3 + (lines.size() - 3) / 2;
    QByteArray chunk;
    qsizetype total = 0;
    const auto flush = [&] {
        total += chunk.size();
        pushLines(chunk);
        chunk.clear();
    };
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i == middle && m_options.has(Fault::DownloadPause)) {
            flush();
            m_queue.pushStep([this] {
                m_log.event(
                    QStringLiteral("pausing %1 ms (download-pause fault)").arg(m_options.pauseMs));
            });
            m_queue.pushPause(m_options.pauseMs);
        }
        if (i == middle && m_options.has(Fault::Vanish)) {
            flush();
            m_queue.pushStep([this] {
                m_log.event(QStringLiteral("device vanishes (vanish fault)"));
                m_queue.clear();
                m_hooks.vanish();
            });
            break;
        }
        chunk += lines[i];
        if (m_options.has(Fault::Garbage) && i >= 3 && i % 4 == 0)
            chunk += kNoise;
    }
    if (!m_options.has(Fault::CutOff)) {
        if (!m_options.has(Fault::NoCrc))
            chunk += CrcField(crc);
        chunk += DownloadEnd();
    }
    flush();
    m_log.sent(QStringLiteral("download %1 format, %2 lines, crc %3")
                   .arg(newFormat ? QStringLiteral("new") : QStringLiteral("old"))
                   .arg(lines.size())
                   .arg(crc),
               total);
    m_queue.pushStep([this] {
        ++m_state.downloads;
        growMemory();
        m_log.event(m_options.has(Fault::CutOff)
                        ? QStringLiteral("download cut off before the check sum (cut-off fault)")
                        : QStringLiteral("download sent"));
        m_hooks.stateChanged();
    });
}

// It goes on logging: n more records of one tip, spread evenly from its last record to its
// clock now (several in one minute when the time is short).
void LoggerSession::growMemory() {
    const int n = m_options.growRecords;
    if (n <= 0)
        return;
    LoggerMemory& memory = m_state.memory;
    const LoggerTime from = memory.records.empty() ? memory.start : memory.records.back().time;
    const LoggerTime now = LoggerNow(m_state.clockOffsetMs);
    const qint64 span = std::max<qint64>(0, from.secsTo(now));
    for (int i = 1; i <= n; ++i) {
        LoggerTime t = from.addSecs(span * i / (n + 1));
        t.setTime(QTime(t.time().hour(), t.time().minute()));
        memory.records.push_back({t, 1, {}});
    }
    m_log.event(QStringLiteral("logged %1 more records (grow)").arg(n));
}
