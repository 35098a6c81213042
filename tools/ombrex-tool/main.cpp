// ombrex-tool: the station archive, the storm analysis and the standard exports from a terminal.
#include "tools/ombrex-tool/ToolCommands.h"

#include "ui/OmbrexError.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

namespace {

void PrintUsage(FILE* out) {
    std::fprintf(out, "Usage: ombrex-tool COMMAND [OPTIONS]\n\nCommands:\n");
    int count = 0;
    const ToolCommand* commands = ToolCommands(count);
    for (int i = 0; i < count; ++i)
        std::fprintf(out, "  %-10s %s\n", commands[i].name, commands[i].summary);
    std::fprintf(out, "\n'ombrex-tool COMMAND --help' describes a command's options.\n");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The program's names, so that the per-user folders and settings are the program's.
    QCoreApplication::setOrganizationName(QStringLiteral("Pluvatec"));
    QCoreApplication::setApplicationName(QStringLiteral("Ombrex2"));

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        PrintUsage(stderr);
        return 2;
    }
    const QString name = args.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") ||
        name == QLatin1String("help")) {
        PrintUsage(stdout);
        return 0;
    }
    int count = 0;
    const ToolCommand* commands = ToolCommands(count);
    for (int i = 0; i < count; ++i) {
        if (name != QLatin1String(commands[i].name))
            continue;
        try {
            return commands[i].run(args);
        } catch (const OmbrexError& e) {
            std::fprintf(stderr, "ombrex-tool %s: %s\n", commands[i].name, qPrintable(e.message()));
            return 1;
        }
    }
    std::fprintf(stderr, "ombrex-tool: unknown command '%s' (see ombrex-tool --help)\n",
                 qPrintable(name));
    return 2;
}
