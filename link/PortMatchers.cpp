#include "link/PortMatchers.h"

#include "link/LinkErrors.h"
#include "link/PacketMatcher.h"
#include "link/PauseTicks.h"
#include "link/SerialPort.h"
#include "ui/Prompts.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

inline char Fold(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - ('a' - 'A')) : c;
}

QByteArray Prepared(const QByteArray& pattern, bool ignoreCase) {
    if (!ignoreCase)
        return pattern;
    QByteArray folded = pattern;
    for (char& c : folded)
        c = Fold(c);
    return folded;
}

qint64 NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

using Mode = PacketMatcher::Mode;

} // namespace

PortMatchers::PortMatchers(SerialPort& port) : m_port(port) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, &port, [&port] { port.timeoutTimerFired(); });
}

PortMatchers::~PortMatchers() = default;

void PortMatchers::add(PacketMatcher* matcher) {
    m_all.append(matcher);
}

void PortMatchers::remove(PacketMatcher* matcher) {
    if (m_capture == matcher)
        releaseCapture(matcher->m_scanPos);
    matcher->m_active = false;
    m_all.removeAll(matcher);
    if (!m_running)
        trim();
}

void PortMatchers::arm(PacketMatcher& m) {
    m.CheckProperties();
    if (m.m_enabled)
        return; // armed already: keeps its state and its running time-out
    m.m_enabled = true;
    m.m_armOrder = m_nextArmOrder++;
    if (!m_port.m_open)
        return; // arms when the port opens
    if (m_port.inMatcherHandler()) {
        m.m_armPending = true; // arms when the handler has returned
        return;
    }
    armNow(m, m_buffer.size()); // sees the bytes received from now on
}

void PortMatchers::armNow(PacketMatcher& m, qsizetype from) {
    m.m_armPending = false;
    // Arming again after every packet must not copy the patterns each time.
    if (m.m_preparedCase != m.m_ignoreCase || m.m_preparedStart != m.m_startString ||
        m.m_preparedEnd != m.m_endString) {
        m.m_start = Prepared(m.m_startString, m.m_ignoreCase);
        m.m_end = Prepared(m.m_endString, m.m_ignoreCase);
        m.m_preparedStart = m.m_startString;
        m.m_preparedEnd = m.m_endString;
        m.m_preparedCase = m.m_ignoreCase;
    }
    m.m_active = true;
    m.m_scanPos = from;
    m.m_packetStart = -1;
    m.m_startMatched = 0;
    m.m_endMatched = 0;
    m.m_reached = from;
    if (m.m_startCond == PacketMatcher::scString) {
        m.m_mode = Mode::WaitStart;
    } else if (m_capture && m_capture != &m) {
        m.m_mode = Mode::WaitCapture;
    } else {
        m.m_mode = Mode::Collecting;
        m.m_packetStart = from;
        takeCapture(m);
    }
}

void PortMatchers::takeCapture(PacketMatcher& m) {
    m_capture = &m;
    m.m_mode = Mode::Collecting;
    m.m_endMatched = 0;
    m.m_reached = m.m_scanPos;
    for (PacketMatcher* other : std::as_const(m_all)) {
        if (other == &m || !other->m_active)
            continue;
        other->m_mode =
            other->m_startCond == PacketMatcher::scString ? Mode::WaitStart : Mode::WaitCapture;
        other->m_packetStart = -1;
        other->m_startMatched = 0;
        other->m_endMatched = 0;
    }
    if (m.m_timeOut > 0)
        startTimer(m.m_timeOut);
    else
        stopTimer();
}

void PortMatchers::releaseCapture(qsizetype consumed) {
    m_capture = nullptr;
    stopTimer();
    m_head = std::clamp(consumed, m_head, m_buffer.size());
    for (PacketMatcher* other : std::as_const(m_all))
        if (other->m_active) {
            other->m_scanPos = m_head;
            other->m_reached = m_head;
        }
}

void PortMatchers::settle() {
    if (m_capture || !m_port.m_open)
        return;
    PacketMatcher* first = nullptr;
    for (PacketMatcher* m : std::as_const(m_all))
        if (m->m_active && m->m_mode == Mode::WaitCapture &&
            (!first || m->m_armOrder < first->m_armOrder))
            first = m;
    if (first) {
        first->m_packetStart = first->m_scanPos;
        takeCapture(*first);
    }
}

void PortMatchers::applyPendingArms() {
    if (!m_port.m_open || m_port.inMatcherHandler())
        return;
    for (;;) {
        PacketMatcher* next = nullptr;
        for (PacketMatcher* m : std::as_const(m_all))
            if (m->m_armPending && (!next || m->m_armOrder < next->m_armOrder))
                next = m;
        if (!next)
            return;
        try {
            next->CheckProperties(); // the handler may have changed them
            armNow(*next, m_head);
        } catch (const std::exception& e) {
            next->m_armPending = false;
            next->m_enabled = false;
            Prompts::ShowGeneralError(e);
        }
    }
}

void PortMatchers::disarm(PacketMatcher& m) {
    m.m_enabled = false;
    m.m_armPending = false;
    if (!m.m_active)
        return;
    m.m_active = false;
    m.m_mode = Mode::Idle;
    if (m_capture == &m) {
        releaseCapture(m.m_scanPos);
        settle();
        if (!m_running && !m_port.inMatcherHandler())
            run();
    } else if (!m_running) {
        trim();
    }
}

void PortMatchers::portOpened() {
    m_buffer.clear();
    m_head = 0;
    m_capture = nullptr;
    QList<PacketMatcher*> enabled;
    for (PacketMatcher* m : std::as_const(m_all))
        if (m->m_enabled)
            enabled << m;
    std::sort(enabled.begin(), enabled.end(),
              [](auto* a, auto* b) { return a->m_armOrder < b->m_armOrder; });
    for (PacketMatcher* m : enabled) {
        try {
            m->CheckProperties();
            armNow(*m, 0);
        } catch (const std::exception& e) {
            m->m_enabled = false;
            Prompts::ShowGeneralError(e);
        }
    }
}

void PortMatchers::portClosed() {
    for (PacketMatcher* m : std::as_const(m_all)) {
        m->m_active = false;
        m->m_armPending = false;
        m->m_mode = Mode::Idle;
    }
    m_capture = nullptr;
    stopTimer();
    m_buffer.clear();
    m_buffer.squeeze();
    m_head = 0;
}

void PortMatchers::feed(const QByteArray& batch) {
    const bool anyActive = std::any_of(m_all.cbegin(), m_all.cend(),
                                       [](const PacketMatcher* m) { return m->m_active; });
    if (!anyActive)
        return; // no matcher wants them: nothing is kept
    m_buffer.append(batch);
    run();
}

bool PortMatchers::stepWaitStart(PacketMatcher& m) {
    const qsizetype p = m.m_scanPos;
    const char b = m.m_ignoreCase ? Fold(m_buffer.at(p)) : m_buffer.at(p);
    if (b == m.m_start.at(m.m_startMatched)) {
        if (m.m_startMatched == 0)
            m.m_packetStart = p;
        ++m.m_startMatched;
        m.m_scanPos = p + 1;
        if (m.m_startMatched == m.m_start.size()) {
            takeCapture(m);
            return true;
        }
    } else if (m.m_startMatched > 0) {
        // Forget the partial match and look again from the byte after its start.
        m.m_scanPos = m.m_packetStart + 1;
        m.m_startMatched = 0;
        m.m_packetStart = -1;
    } else {
        m.m_scanPos = p + 1;
    }
    return false;
}

bool PortMatchers::stepCollecting(PacketMatcher& m, qsizetype& end, bool& byEndPattern) {
    const qsizetype p = m.m_scanPos++;
    m.m_reached = std::max(m.m_reached, m.m_scanPos);
    if (m.m_endCond & PacketMatcher::ecString) {
        const char b = m.m_ignoreCase ? Fold(m_buffer.at(p)) : m_buffer.at(p);
        if (b == m.m_end.at(m.m_endMatched)) {
            if (m.m_endMatched == 0)
                m.m_endMatchStart = p;
            if (++m.m_endMatched == m.m_end.size()) {
                end = p + 1;
                byEndPattern = true;
                return true;
            }
        } else if (m.m_endMatched > 0) {
            m.m_scanPos = m.m_endMatchStart + 1;
            m.m_endMatched = 0;
        }
    }
    if ((m.m_endCond & PacketMatcher::ecPacketSize) &&
        m.m_reached - m.m_packetStart >= m.m_packetSize) {
        end = m.m_packetStart + m.m_packetSize;
        byEndPattern = false;
        return true;
    }
    return false;
}

// Bytes that cannot begin the end string only move the scan on, so a long packet (a whole
// download) is searched in a tight loop (memchr when the case counts) rather than a step a
// byte. A packet size keeps the byte-wise steps.
void PortMatchers::skipToEndCandidate(PacketMatcher& m) {
    if (!(m.m_endCond & PacketMatcher::ecString) || (m.m_endCond & PacketMatcher::ecPacketSize) ||
        m.m_endMatched != 0 || m.m_end.isEmpty())
        return;
    const qsizetype size = m_buffer.size();
    const char* data = m_buffer.constData();
    const char first = m.m_end.at(0); // folded already when the case is ignored
    qsizetype p = m.m_scanPos;
    if (!m.m_ignoreCase) {
        const void* hit = std::memchr(data + p, first, size_t(size - p));
        p = hit ? qsizetype(static_cast<const char*>(hit) - data) : size;
    } else {
        const char lower = (first >= 'A' && first <= 'Z') ? char(first + ('a' - 'A')) : first;
        while (p < size && data[p] != first && data[p] != lower)
            ++p;
    }
    m.m_scanPos = p;
    m.m_reached = std::max(m.m_reached, p);
}

void PortMatchers::run() {
    if (m_running)
        return;
    m_running = true;
    const quint64 generation = m_port.m_generation;
    while (m_port.m_open && m_port.m_generation == generation) {
        if (m_capture) {
            PacketMatcher& m = *m_capture;
            qsizetype end = 0;
            bool byEnd = false;
            bool complete = false;
            if (!(m.m_endCond & (PacketMatcher::ecString | PacketMatcher::ecPacketSize))) {
                end = m.m_scanPos; // no end condition: complete with the start pattern
                complete = true;
            } else if ((m.m_endCond & PacketMatcher::ecPacketSize) &&
                       m.m_reached - m.m_packetStart >= m.m_packetSize) {
                end = m.m_packetStart + m.m_packetSize;
                complete = true;
            }
            const qsizetype size = m_buffer.size();
            while (!complete && m.m_scanPos < size) {
                skipToEndCandidate(m);
                if (m.m_scanPos < size)
                    complete = stepCollecting(m, end, byEnd);
            }
            if (!complete)
                break;
            deliver(m, end, byEnd);
            continue;
        }
        PacketMatcher* next = nullptr;
        for (PacketMatcher* m : std::as_const(m_all))
            if (m->m_active && m->m_mode == Mode::WaitStart && m->m_scanPos < m_buffer.size() &&
                (!next || m->m_scanPos < next->m_scanPos ||
                 (m->m_scanPos == next->m_scanPos && m->m_armOrder < next->m_armOrder)))
                next = m;
        if (!next)
            break;
        stepWaitStart(*next);
    }
    m_running = false;
    if (m_port.m_open && m_port.m_generation == generation)
        trim();
}

void PortMatchers::deliver(PacketMatcher& m, qsizetype end, bool byEndPattern) {
    qsizetype textStart = m.m_packetStart;
    qsizetype textEnd = end;
    if (!m.m_includeStrings) {
        if (m.m_startCond == PacketMatcher::scString)
            textStart += m.m_start.size();
        if (byEndPattern)
            textEnd -= m.m_end.size();
    }
    textEnd = std::max(textEnd, textStart);
    const QByteArray text = m_buffer.mid(textStart, textEnd - textStart);

    m.m_enabled = false;
    m.m_active = false;
    m.m_armPending = false;
    m.m_mode = Mode::Idle;
    releaseCapture(end); // everything up to the packet's end leaves the buffer

    const quint64 generation = m_port.m_generation;
    PacketMatcher* self = &m;
    callMatcherHandler([self, &text] {
        if (self->OnPacket)
            self->OnPacket(*self, text.constData(), int(text.size()));
        if (self->OnStringPacket)
            self->OnStringPacket(*self, text);
    });
    if (!m_port.m_open || m_port.m_generation != generation || !m_all.contains(self))
        return;
    applyPendingArms();
    if (m.m_autoEnable && !m.m_enabled) {
        try {
            m.CheckProperties();
            m.m_enabled = true;
            m.m_armOrder = m_nextArmOrder++;
            armNow(m, m_head);
        } catch (const std::exception& e) {
            m.m_enabled = false;
            Prompts::ShowGeneralError(e);
        }
    }
    settle();
}

bool PortMatchers::timeoutDue() const {
    return m_capture && m_timerRunning && TickCount() > m_limitTick;
}

void PortMatchers::checkTimeout() {
    if (!m_capture || !m_timerRunning)
        return;
    if (!timeoutDue()) {
        const qint64 left = (m_limitTick + 1) * TickMs - NowMs();
        m_timer.start(int(std::clamp<qint64>(left, 0, 1 << 30)));
        return;
    }
    PacketMatcher& m = *m_capture;
    m.m_enabled = false;
    m.m_active = false;
    m.m_armPending = false;
    m.m_mode = Mode::Idle;
    m_capture = nullptr;
    stopTimer();
    // What the matcher had collected is dropped.
    m_buffer.clear();
    m_head = 0;
    for (PacketMatcher* other : std::as_const(m_all))
        if (other->m_active) {
            other->m_scanPos = 0;
            other->m_reached = 0;
        }
    const quint64 generation = m_port.m_generation;
    PacketMatcher* self = &m;
    if (m.OnTimeout)
        callMatcherHandler([self] { self->OnTimeout(*self); });
    if (!m_port.m_open || m_port.m_generation != generation)
        return;
    applyPendingArms();
    settle();
    run();
}

void PortMatchers::trim() {
    qsizetype cut = m_buffer.size();
    if (m_capture) {
        cut = m_capture->m_packetStart;
    } else {
        for (const PacketMatcher* m : std::as_const(m_all))
            if (m->m_active)
                cut = std::min(cut, m->m_startMatched > 0 ? m->m_packetStart : m->m_scanPos);
    }
    m_head = std::max(m_head, cut);
    if (m_head >= m_buffer.size()) {
        // No armed matcher has a packet in progress: the buffer is emptied.
        m_buffer.clear();
        if (m_buffer.capacity() > 65536)
            m_buffer.squeeze();
        m_head = 0;
        for (PacketMatcher* m : std::as_const(m_all))
            if (m->m_active) {
                m->m_scanPos = 0;
                m->m_reached = 0;
                m->m_packetStart = m->m_mode == Mode::Collecting ? 0 : -1;
            }
        return;
    }
    if (m_head < 65536 || m_head < m_buffer.size() / 2)
        return;
    // Give back the space before the first byte anyone still needs.
    const qsizetype shift = m_head;
    m_buffer.remove(0, shift);
    m_head = 0;
    for (PacketMatcher* m : std::as_const(m_all)) {
        if (!m->m_active)
            continue;
        m->m_scanPos = std::max<qsizetype>(0, m->m_scanPos - shift);
        m->m_reached = std::max<qsizetype>(0, m->m_reached - shift);
        if (m->m_packetStart >= 0)
            m->m_packetStart = std::max<qsizetype>(0, m->m_packetStart - shift);
        m->m_endMatchStart = std::max<qsizetype>(0, m->m_endMatchStart - shift);
    }
}

void PortMatchers::startTimer(int ticks) {
    m_limitTick = TickCount() + ticks;
    m_timerRunning = true;
    const qint64 left = (m_limitTick + 1) * TickMs - NowMs();
    m_timer.start(int(std::clamp<qint64>(left, 0, 1 << 30)));
}

void PortMatchers::stopTimer() {
    m_timerRunning = false;
    m_timer.stop();
}

bool PortMatchers::callMatcherHandler(const std::function<void()>& handler) {
    m_port.callHandler(handler, true);
    return true;
}
