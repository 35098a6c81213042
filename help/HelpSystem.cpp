#include "help/HelpSystem.h"

#include "help/HelpContexts.h"
#include "ui/Paths.h"
#include "ui/Prompts.h"

#include <QDir>

namespace HelpSystem {
namespace {
Viewer* g_viewer = nullptr;
QStringList g_requests;
QString g_helpFile;

QString resultText(Result result) {
    switch (result) {
    case Result::Shown:
        return QStringLiteral("shown");
    case Result::FileMissing:
        return QStringLiteral("help file not found");
    case Result::TopicMissing:
        return QStringLiteral("topic not found");
    }
    return {};
}

void route(const QString& request, const QString& topic) {
    g_requests.append(topic);
    if (!g_viewer) {
        LogRequest(request, topic, QStringLiteral("no help viewer"));
        return;
    }
    const QString file = HelpFile();
    const Result result = g_viewer->showTopic(file, topic);
    LogRequest(request, topic, resultText(result));
    if (result == Result::FileMissing)
        Prompts::ShowError(FileMissingMessage(file));
    else if (result == Result::TopicMissing)
        Prompts::ShowError(TopicMissingMessage(topic, file));
}

} // namespace

void Install(Viewer* viewer) {
    g_viewer = viewer;
}

QString HelpFile() {
    if (!g_helpFile.isEmpty())
        return g_helpFile;
    return ProgramFolder() + QStringLiteral("Ombrex 2.chm");
}

void SetHelpFile(const QString& path) {
    g_helpFile = path;
}

void ShowTopic(const QString& topic) {
    route(QStringLiteral("ShowTopic"), topic);
}

void ShowContext(int contextId) {
    const QString topic = HelpContexts::Topic(contextId);
    const QString request = QStringLiteral("ShowContext %1").arg(contextId);
    if (topic.isEmpty()) {
        LogRequest(request, QString(), QStringLiteral("no topic for this context"));
        Prompts::ShowError(ContextMissingMessage(contextId));
        return;
    }
    route(request, topic);
}

void CloseAll() {
    if (g_viewer)
        g_viewer->closeAll();
    LogRequest(QStringLiteral("CloseAll"), QString(), QStringLiteral("closed"));
}

const QStringList& Requests() {
    return g_requests;
}

QString FileMissingMessage(const QString& helpFile) {
    return QStringLiteral("The help file %1 was not found.")
        .arg(QDir::toNativeSeparators(helpFile));
}

QString TopicMissingMessage(const QString& topic, const QString& helpFile) {
    return QStringLiteral("The help topic %1 was not found in the help file %2.")
        .arg(topic, QDir::toNativeSeparators(helpFile));
}

QString ContextMissingMessage(int contextId) {
    return QStringLiteral("There is no help topic for context number %1.").arg(contextId);
}

} // namespace HelpSystem
