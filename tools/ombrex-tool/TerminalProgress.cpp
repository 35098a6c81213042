#include "tools/ombrex-tool/TerminalProgress.h"

#include "export/AtomicFile.h"

#include <cstdio>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_interrupts = 0;

void OnInterrupt(int signal) {
    const std::sig_atomic_t before = g_interrupts;
    g_interrupts = before + 1;
    if (before > 0) {
        AtomicFile::RemovePendingFiles();
        ::_exit(128 + signal);
    }
}

} // namespace

TerminalProgress::TerminalProgress(const QString& label)
    : m_label(label), m_terminal(::isatty(STDERR_FILENO) == 1) {
    m_clock.start();
}

TerminalProgress::~TerminalProgress() {
    finish();
}

void TerminalProgress::show(double fraction) {
    if (!m_terminal || m_clock.elapsed() < 1000)
        return;
    const int percent = int(fraction * 100.0);
    if (percent == m_lastPercent)
        return;
    m_lastPercent = percent;
    constexpr int kWidth = 30;
    const int filled = percent * kWidth / 100;
    std::fprintf(stderr, "\r%s [%s%s] %3d%%", qPrintable(m_label),
                 QByteArray(filled, '#').constData(), QByteArray(kWidth - filled, '-').constData(),
                 percent);
    std::fflush(stderr);
    m_drawn = true;
}

void TerminalProgress::finish() {
    if (m_drawn)
        std::fprintf(stderr, "\r\033[K");
    m_drawn = false;
}

InterruptGuard::InterruptGuard() {
    g_interrupts = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &m_oldInt);
    ::sigaction(SIGTERM, &action, &m_oldTerm);
}

InterruptGuard::~InterruptGuard() {
    ::sigaction(SIGINT, &m_oldInt, nullptr);
    ::sigaction(SIGTERM, &m_oldTerm, nullptr);
}

bool InterruptGuard::Interrupted() {
    return g_interrupts > 0;
}
