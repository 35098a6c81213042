#include "app/QtPrompts.h"
#include "app/Startup.h"
#include "app/TFMain.h"
#include "app/TerminationSignals.h"
#include "help/HelpKeyFilter.h"
#include "help/HelpSystem.h"
#include "help/HelpViewer.h"
#include "link/dialogs/SelectPortChooser.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Pluvatec"));
    QCoreApplication::setApplicationName(QStringLiteral("Ombrex2"));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/ombrex.svg")));

    QtPrompts prompts;
    Prompts::Install(&prompts);
    QtDesktopOpener opener;
    DesktopOpener::Install(&opener);

    HelpSystem::ConfigureDebugLog(QCoreApplication::arguments());
    HelpViewer helpViewer;
    HelpSystem::Install(&helpViewer);
    HelpKeyFilter helpKeys;
    app.installEventFilter(&helpKeys);

    SelectPortChooser chooser;
    PortChooser::Install(&chooser);

    TerminationSignals termination;
    auto window = StartUp();
    const int rc = termination.Received() ? 0 : app.exec();
    window.reset();
    HelpSystem::Install(nullptr);
    PortChooser::Install(nullptr);
    Prompts::Install(nullptr);
    DesktopOpener::Install(nullptr);
    return rc;
}
