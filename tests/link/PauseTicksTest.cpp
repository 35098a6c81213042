#include "link/PauseTicks.h"
#include "tests/support/TestUtil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <gtest/gtest.h>

TEST(PauseTicks, NothingBelowOneTick) {
    for (int n : {0, -1, -100000}) {
        QElapsedTimer clock;
        clock.start();
        PauseTicks(n);
        EXPECT_LT(clock.elapsed(), 5) << n;
    }
}

// Ten ticks last more than 550 and at most 605 ms; the upper bound allows 45 ms of scheduling
// slack on a loaded machine.
TEST(PauseTicks, TenTicksWithEventsRunning) {
    int fired = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++fired; });
    timer.start(50);
    QElapsedTimer clock;
    clock.start();
    PauseTicks(10);
    const qint64 took = clock.elapsed();
    EXPECT_GE(took, 550);
    EXPECT_LE(took, 650);
    EXPECT_GE(fired, 8); // the event loop kept running
}

// A quit request ends the pause at once and is posted again for the main loop.
TEST(PauseTicks, QuitRequestEndsPauseAndIsPostedAgain) {
    struct QuitWatch : QObject {
        int seen = 0;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (o == qApp && e->type() == QEvent::Quit)
                ++seen;
            return false;
        }
    } watch;
    QTimer::singleShot(60, [] { QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit)); });
    QElapsedTimer clock;
    clock.start();
    PauseTicks(100); // 5.5 s unless the quit request ends it
    EXPECT_LT(clock.elapsed(), 1000);
    qApp->installEventFilter(&watch); // installed after the pause's own filter went away
    QCoreApplication::sendPostedEvents(qApp, QEvent::Quit);
    qApp->removeEventFilter(&watch);
    EXPECT_EQ(watch.seen, 1);
}
