#include "tools/hyetra-sim/ReplyQueue.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <unistd.h>

void ReplyQueue::pushBytes(const QByteArray& bytes) {
    if (!bytes.isEmpty())
        m_items.push_back({bytes, 0, 0, -1, {}});
}

void ReplyQueue::pushPause(int ms) {
    if (ms > 0)
        m_items.push_back({{}, 0, ms, -1, {}});
}

void ReplyQueue::pushStep(std::function<void()> step) {
    m_items.push_back({{}, 0, 0, -1, std::move(step)});
}

int ReplyQueue::service(int fd, qint64 nowMs, bool& wantWritable) {
    wantWritable = false;
    if (m_rate > 0) {
        if (m_lastMs >= 0)
            m_allowance += double(m_rate) * double(nowMs - m_lastMs) / 1000.0;
        // A line never sends faster than its rate, even after waiting: at most 20 ms in a burst.
        m_allowance = std::min(m_allowance, std::max(16.0, m_rate / 50.0));
    }
    m_lastMs = nowMs;
    while (!m_items.empty()) {
        Item& item = m_items.front();
        if (item.step) {
            auto step = std::move(item.step);
            m_items.pop_front();
            step(); // may clear the queue
            continue;
        }
        if (item.pauseMs > 0) {
            if (item.pauseEnd < 0)
                item.pauseEnd = nowMs + item.pauseMs;
            if (nowMs < item.pauseEnd)
                return int(item.pauseEnd - nowMs);
            m_items.pop_front();
            m_allowance = 0;
            continue;
        }
        qsizetype want = item.bytes.size() - item.sent;
        if (m_rate > 0) {
            if (m_allowance < 1.0)
                return std::max(1, int(std::ceil((1.0 - m_allowance) * 1000.0 / m_rate)));
            want = std::min<qsizetype>(want, qsizetype(m_allowance));
        }
        const ssize_t n = ::write(fd, item.bytes.constData() + item.sent, size_t(want));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            // The line is full (nobody reads) or gone: wait until it takes bytes again.
            wantWritable = true;
            return -1;
        }
        item.sent += n;
        if (m_rate > 0)
            m_allowance -= double(n);
        if (item.sent >= item.bytes.size())
            m_items.pop_front();
    }
    m_allowance = 0;
    m_lastMs = -1;
    return -1;
}
