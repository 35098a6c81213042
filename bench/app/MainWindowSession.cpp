#include "bench/app/MainWindowSession.h"

#include "app/TFMain.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTimer>

MainWindowSession::MainWindowSession(const QStringList& simArguments) {
    QDir(m_home.path()).mkpath(QStringLiteral("config/Pluvatec"));
    qputenv("XDG_CONFIG_HOME", (m_home.path() + QStringLiteral("/config")).toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       m_home.path() + QStringLiteral("/config"));
    {
        // The USB logger on COM40, no first-run question and no help at start.
        QFile f(m_home.path() + QStringLiteral("/config/Pluvatec/Ombrex2.conf"));
        f.open(QIODevice::WriteOnly);
        f.write("[Settings]\nLogger=2\nPort Number=40\n[General]\nShowHelp=0\n");
    }
    QDir::setCurrent(m_home.path());

    m_sim.start(
        QCoreApplication::applicationDirPath() + QStringLiteral("/hyetra-sim"),
        QStringList{QStringLiteral("--port"), QStringLiteral("40"), QStringLiteral("--fast")} +
            simArguments);
    if (!m_sim.waitForReadyRead(20000)) {
        m_error = QStringLiteral("the virtual logger did not start");
        return;
    }
    m_main = std::make_unique<TFMain>();
    m_main->show();
    m_main->Action(QStringLiteral("MnuAutoDetect"))->trigger();
    if (!WaitUntil([this] { return m_main->Status().Connected && m_main->MainEnabled(); }, 20000))
        m_error = QStringLiteral("no connection");
}

MainWindowSession::~MainWindowSession() {
    m_main.reset();
    m_sim.terminate();
    m_sim.waitForFinished(3000);
}

bool MainWindowSession::WaitUntil(const std::function<bool()>& pred, int ms) {
    QDeadlineTimer deadline(ms);
    QTimer tick; // wakes the loop to look at the deadline
    tick.start(50);
    while (!pred() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return pred();
}
