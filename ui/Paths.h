#pragma once

#include <QString>

// The running program's folder with its trailing separator: help, report template and the
// default data folder live there.
QString ProgramFolder();
// path with everything up to and including its last separator removed.
QString FileNameOnly(const QString& path);
// Where the per-user files of the program live (settings, port map): $XDG_CONFIG_HOME/Pluvatec.
QString UserConfigFolder();
