#pragma once

#include <QColor>
#include <QStringList>
#include <cstdint>
#include <vector>

// The lines of the text report, built from the rainfall tables without any window, so the report
// can be checked, drawn, copied and printed from the same data.
enum class LineColour : uint8_t { Blue, Red, Grey };

struct ReportLines {
    QStringList texts;
    std::vector<LineColour> colours; // one per line
};

enum class ReportKind { Event, Daily };

// One line per event record: date, " hh:mm - ", depth, " :" and the message; red for a message.
ReportLines BuildEventLines();
// One line per daily record with its warnings; line n is daily record n.
ReportLines BuildDailyLines();
ReportLines BuildReportLines(ReportKind kind);

QColor ColourOf(LineColour colour);
