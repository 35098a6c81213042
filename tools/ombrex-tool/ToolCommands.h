#pragma once

#include <QStringList>

// One subcommand of ombrex-tool. Each receives the arguments after its name, throws
// OmbrexError for anything that should end the run with one line on stderr, and returns the
// process's exit code.
struct ToolCommand {
    const char* name;
    const char* summary;
    int (*run)(const QStringList& args);
};

int RunStations(const QStringList& args);
int RunAdd(const QStringList& args);
int RunStorms(const QStringList& args);
int RunExport(const QStringList& args);

// Every subcommand in the order --help lists them.
const ToolCommand* ToolCommands(int& count);
