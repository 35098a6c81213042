#include "app/TerminationSignals.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int g_writeFd = -1;

// Only async-signal-safe work here: one byte into the pair, read on the GUI thread.
void onSignalRaised(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_writeFd, &byte, 1);
    errno = saved;
}

void setHandler(void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals)
        sigaction(s, &action, nullptr);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, m_fds) != 0)
        return; // without the pair the signals keep their default action
    ::fcntl(m_fds[1], F_SETFL, O_NONBLOCK);
    g_writeFd = m_fds[1];
    m_notifier = new QSocketNotifier(m_fds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::onSignal);
    setHandler(onSignalRaised);
}

TerminationSignals::~TerminationSignals() {
    if (m_fds[0] < 0)
        return;
    setHandler(SIG_DFL);
    g_writeFd = -1;
    delete m_notifier;
    ::close(m_fds[0]);
    ::close(m_fds[1]);
}

void TerminationSignals::onSignal() {
    char bytes[16];
    [[maybe_unused]] const ssize_t n = ::read(m_fds[0], bytes, sizeof bytes);
    if (m_received)
        return;
    m_received = true;
    // Each window on its own: one that refuses (the start-up screen in its first seconds) must
    // not keep the main window from saving its settings.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (w->isVisible())
            w->close();
    }
    QCoreApplication::exit(0);
}
