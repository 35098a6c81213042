#include "app/HelpSystem.h"

#include "ui/Paths.h"

namespace HelpSystem {
namespace {
Viewer* g_viewer = nullptr;
QStringList g_requests;
} // namespace

void Install(Viewer* viewer) {
    g_viewer = viewer;
}

QString HelpFile() {
    return ProgramFolder() + QStringLiteral("Ombrex 2.chm");
}

void ShowTopic(const QString& topic) {
    g_requests.append(topic);
    if (g_viewer)
        g_viewer->showTopic(HelpFile(), topic);
}

void CloseAll() {
    if (g_viewer)
        g_viewer->closeAll();
}

const QStringList& Requests() {
    return g_requests;
}

} // namespace HelpSystem
