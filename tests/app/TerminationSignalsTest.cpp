#include "app/TerminationSignals.h"

#include <QApplication>
#include <QCloseEvent>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <csignal>

namespace {

// A window that counts its closes; the refusing one stands for the start-up screen.
class CountingWindow final : public QWidget {
public:
    explicit CountingWindow(bool refuse = false) : m_refuse(refuse) {}
    int closes = 0;

protected:
    void closeEvent(QCloseEvent* event) override {
        ++closes;
        if (m_refuse)
            event->ignore();
        else
            event->accept();
    }

private:
    bool m_refuse;
};

} // namespace

// Each signal that ends a session or a terminal closes every window, even past one that refuses,
// and ends the loop with 0; afterwards the default action is back.
TEST(TerminationSignals, SignalClosesEveryWindowAndEndsTheLoopCleanly) {
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sig);
        CountingWindow refusing(true);
        CountingWindow main;
        refusing.show();
        main.show();
        {
            TerminationSignals termination;
            EXPECT_FALSE(termination.Received());
            QTimer::singleShot(0, [sig] { std::raise(sig); });
            // A stuck loop fails the test instead of hanging it.
            QTimer::singleShot(10000, [] { QCoreApplication::exit(99); });
            EXPECT_EQ(QCoreApplication::exec(), 0);
            EXPECT_TRUE(termination.Received());
        }
        EXPECT_EQ(main.closes, 1);
        EXPECT_EQ(refusing.closes, 1);
        EXPECT_TRUE(main.isHidden());
        struct sigaction now = {};
        sigaction(sig, nullptr, &now);
        EXPECT_EQ(now.sa_handler, SIG_DFL);
    }
}

// A signal during the start-up wait, before the event loop runs, is seen by main() afterwards.
TEST(TerminationSignals, SignalBeforeTheLoopIsReported) {
    CountingWindow main;
    main.show();
    TerminationSignals termination;
    std::raise(SIGTERM);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    for (int i = 0; i < 20 && !termination.Received(); ++i)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_TRUE(termination.Received());
    EXPECT_EQ(main.closes, 1);
}
