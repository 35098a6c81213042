#include "tools/ombrex-tool/ToolCommands.h"

#include "ui/OmbrexError.h"

#include <iterator>

namespace {

const ToolCommand kCommands[] = {
    {"stations", "list the stations in the archive", RunStations},
    {"add", "add data files, Tarnell files or raw captures to a station", RunAdd},
    {"storms", "print the storm table of a file or station as CSV", RunStorms},
    {"export", "write a record in a standard format (CSV, NetCDF, WaterML)", RunExport},
};

} // namespace

const ToolCommand* ToolCommands(int& count) {
    count = int(std::size(kCommands));
    return kCommands;
}
