#include "help/HelpDebugLog.h"

#include "help/HelpSystem.h"
#include "ui/Paths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace HelpSystem {
namespace {
bool g_logging = false;
} // namespace

bool ConfigureDebugLog(const QStringList& arguments) {
    QString reason;
    if (QFileInfo::exists(ProgramFolder() + QStringLiteral("debug.debug")))
        reason = QStringLiteral("debug.debug");
    // The first argument is the program itself.
    for (qsizetype i = 1; i < arguments.size() && reason.isEmpty(); ++i) {
        const QString& a = arguments.at(i);
        if (a.compare(QLatin1String("/debug"), Qt::CaseInsensitive) == 0 ||
            a.compare(QLatin1String("-debug"), Qt::CaseInsensitive) == 0)
            reason = a;
    }
    g_logging = !reason.isEmpty();
    if (g_logging)
        LogRequest(QStringLiteral("DebugLog"), HelpFile(),
                   QStringLiteral("log started (%1)").arg(reason));
    return g_logging;
}

void DisableDebugLog() {
    g_logging = false;
}

bool DebugLogEnabled() {
    return g_logging;
}

QString DebugLogPath() {
    return UserConfigFolder() + QStringLiteral("/Ombrex2-help.log");
}

void LogRequest(const QString& request, const QString& topic, const QString& result) {
    if (!g_logging)
        return;
    const QString path = DebugLogPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    // Opened per line so that nothing is lost when the program ends abruptly; a log that
    // cannot be written is no reason to bother the user.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;
    const QString line =
        QStringLiteral("%1\t%2\t%3\t%4\n")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")),
                 request, topic.isEmpty() ? QStringLiteral("-") : topic, result);
    file.write(line.toUtf8());
}

} // namespace HelpSystem
