#include "link/PauseTicks.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <thread>

qint64 TickCount() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count() / TickMs;
}

namespace {

qint64 NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Catches a quit request meant for the application while a pause runs.
class QuitCatcher final : public QObject {
public:
    explicit QuitCatcher(QEventLoop& loop) : m_loop(loop) {}
    bool seen = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit && !seen) {
            seen = true;
            m_loop.quit();
            return true;
        }
        return false;
    }

private:
    QEventLoop& m_loop;
};

} // namespace

void PauseTicks(int n) {
    if (n < 1)
        return;
    n = std::min(n, MaxPauseTicks);
    const qint64 endTick = TickCount() + n + 1; // the pause ends once the tick count exceeds t0 + n
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
        while (TickCount() < endTick)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return;
    }
    QEventLoop loop;
    QuitCatcher catcher(loop);
    app->installEventFilter(&catcher);
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        const qint64 left = endTick * TickMs - NowMs();
        if (left <= 0)
            loop.quit();
        else
            timer.start(int(std::min<qint64>(left, 1 << 30)));
    });
    const qint64 first = endTick * TickMs - NowMs();
    if (first > 0) {
        timer.start(int(std::min<qint64>(first, 1 << 30)));
        loop.exec();
    }
    app->removeEventFilter(&catcher);
    if (catcher.seen)
        QCoreApplication::postEvent(app, new QEvent(QEvent::Quit));
}
