// hyetra-sim: a virtual Hyetra rain logger on a pseudo-terminal, attached as COMn for Ombrex.
#include "tools/hyetra-sim/ExchangeLog.h"
#include "tools/hyetra-sim/LoggerReplies.h"
#include "tools/hyetra-sim/LoggerSession.h"
#include "tools/hyetra-sim/PtyLine.h"
#include "tools/hyetra-sim/RainGenerator.h"
#include "tools/hyetra-sim/ReplyQueue.h"
#include "tools/hyetra-sim/SimOptions.h"
#include "tools/hyetra-sim/SimState.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

void OnStopSignal(int signo) {
    g_stopSignal = signo;
}

int Fail(const QString& message) {
    std::fprintf(stderr, "hyetra-sim: %s\n", qPrintable(message));
    return 1;
}

// Signals only arrive inside ppoll, so a stop request is never lost between checks.
void CatchStopSignals(sigset_t& waitMask) {
    sigset_t blocked;
    sigemptyset(&blocked);
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(s, &action, nullptr);
        sigaddset(&blocked, s);
    }
    std::signal(SIGPIPE, SIG_IGN);
    ::sigprocmask(SIG_BLOCK, &blocked, &waitMask);
    for (const int s : {SIGINT, SIGTERM, SIGHUP})
        sigdelset(&waitMask, s);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    SimOptions options;
    if (const int rc = ParseOptions(QCoreApplication::arguments(), options); rc != 0)
        return rc < 0 ? 0 : rc;

    SetClockRate(options.clockRatePpm);
    LoggerState state;
    state.name = options.name;
    state.clockOffsetMs = options.clockOffsetMs;
    QString error;
    bool fromStateFile = false;
    if (!options.stateFile.isEmpty() && QFileInfo::exists(options.stateFile)) {
        if (!ReadStateFile(options.stateFile, state, error))
            return Fail(error);
        fromStateFile = true;
        if (options.nameGiven)
            state.name = options.name;
        if (options.clockOffsetGiven)
            state.clockOffsetMs = options.clockOffsetMs;
    }
    const bool newFormat = NewRecordFormat(options.version);
    const int capacity = MemoryCapacity(options.version);
    if (!options.memoryFile.isEmpty()) {
        if (!ReadMemoryFile(options.memoryFile, state.memory, error))
            return Fail(error);
    } else if (!fromStateFile || options.recordsGiven) {
        state.memory = GenerateMemory(std::min(options.records, capacity), options.seed,
                                      LoggerNow(state.clockOffsetMs), newFormat);
    }
    if (!newFormat) {
        for (const MemoryRecord& r : state.memory.records)
            if (r.isMessage())
                return Fail(
                    QStringLiteral("version %1 downloads the old record format, which has no "
                                   "message lines (\"%2\"); give a version whose third character "
                                   "is 5 or above, or leave the messages out")
                        .arg(options.version, r.message));
    }
    if (int(state.memory.records.size()) > capacity) {
        // A full logger records nothing more: the latest records never made it in.
        std::fprintf(stderr,
                     "hyetra-sim: the memory holds %d records; %zu read, the last %zu "
                     "left out\n",
                     capacity, state.memory.records.size(),
                     state.memory.records.size() - size_t(capacity));
        state.memory.records.resize(size_t(capacity));
    }
    if (!options.writeMemoryFile.isEmpty() &&
        !WriteMemoryFile(options.writeMemoryFile, state.memory, error))
        return Fail(error);

    ExchangeLog log;
    if (!options.logFile.isEmpty() && !log.open(options.logFile, error))
        return Fail(error);

    sigset_t waitMask;
    CatchStopSignals(waitMask);

    PtyLine line;
    if (!line.open(error) || !line.attach(options.port, options.replace, error))
        return Fail(error);

    const StateFileInfo info{options.model, options.version, options.port, line.devicePath()};
    const auto saveState = [&] {
        QString why;
        if (!options.stateFile.isEmpty() && !WriteStateFile(options.stateFile, state, info, why))
            std::fprintf(stderr, "hyetra-sim: %s\n", qPrintable(why));
        if (!options.writeMemoryFile.isEmpty() && state.clears > 0 &&
            !WriteMemoryFile(options.writeMemoryFile, state.memory, why))
            std::fprintf(stderr, "hyetra-sim: %s\n", qPrintable(why));
    };
    saveState();

    const int baud = options.model == 1 ? 9600 : 115200;
    ReplyQueue queue;
    // 10 bits a byte on the line: start, 8 data, stop.
    queue.setRate(options.fast ? 0 : baud / 10);
    bool vanished = false;
    qint64 vanishAt = -1; // the device goes once the program has read what was sent
    qint64 drainedSince = -1;
    QElapsedTimer clock;
    clock.start();
    LoggerSession session(options, state, queue, log,
                          {saveState, [&] { vanishAt = clock.elapsed() + 2000; }});

    QStringList faults;
    for (const Fault f : options.faults)
        faults << FaultName(f);
    faults.sort();
    std::printf("hyetra-sim: attached as COM%d on %s (%s, version %s, %s, %zu records, name "
                "\"%s\", %s)%s; link %s; Ctrl+C ends\n",
                options.port, qPrintable(line.devicePath()),
                options.model == 1 ? "Hyetra, 9600 baud" : "Hyetra 2.0 (USB), 115200 baud",
                qPrintable(options.version), qPrintable(MemorySizeText(options.version)),
                state.memory.records.size(), qPrintable(state.name),
                options.fast ? "fast" : "real line rate",
                faults.isEmpty() ? "" : qPrintable(QStringLiteral(", faults ") + faults.join(',')),
                qPrintable(line.linkPath()));
    std::fflush(stdout);
    log.event(QStringLiteral("attached as COM%1 on %2").arg(options.port).arg(line.devicePath()));

    qint64 quietUntil = 0; // after a hang-up the line is left alone for a while
    char buffer[4096];
    while (g_stopSignal == 0 && !vanished) {
        const qint64 now = clock.elapsed();
        bool wantWritable = false;
        const int sendIn = queue.service(line.masterFd(), now, wantWritable);
        if (vanishAt >= 0) {
            // Bytes still on their way through the pseudo-terminal do not show as unread yet:
            // wait for the line to stay empty a while.
            if (line.unreadBytes() > 0)
                drainedSince = -1;
            else if (drainedSince < 0)
                drainedSince = now;
            if ((drainedSince >= 0 && now - drainedSince >= 100) || now >= vanishAt) {
                line.vanish();
                vanished = true;
                break;
            }
        }
        const int giveUpIn = session.service(now);
        int timeout = vanishAt >= 0 ? 10 : 1000;
        for (const int t : {sendIn, giveUpIn})
            if (t >= 0)
                timeout = std::min(timeout, t);
        // Held input just taken may have queued a reply: send it without waiting.
        if (!queue.idle() && sendIn < 0 && !wantWritable)
            timeout = 0;
        pollfd fd{line.masterFd(), short(POLLIN | (wantWritable ? POLLOUT : 0)), 0};
        if (now < quietUntil) {
            fd.fd = -1;
            timeout = std::min<qint64>(timeout, quietUntil - now);
        }
        const timespec wait{timeout / 1000, (timeout % 1000) * 1000000L};
        const int ready = ::ppoll(&fd, 1, &wait, &waitMask);
        if (ready <= 0)
            continue;
        if (fd.revents & POLLIN) {
            for (;;) {
                const ssize_t n = ::read(line.masterFd(), buffer, sizeof buffer);
                if (n > 0) {
                    session.received(QByteArray(buffer, n), clock.elapsed(), line.lineSpeed());
                    continue;
                }
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0 && errno != EAGAIN)
                    quietUntil = clock.elapsed() + 100;
                break;
            }
        } else if (fd.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            quietUntil = clock.elapsed() + 100;
        }
    }

    if (vanished) {
        std::printf("hyetra-sim: COM%d vanished\n", options.port);
    } else {
        line.detach();
        std::printf("hyetra-sim: COM%d detached\n", options.port);
    }
    log.event(vanished ? QStringLiteral("ended after vanishing") : QStringLiteral("ended"));
    saveState();
    std::fflush(stdout);
    return 0;
}
