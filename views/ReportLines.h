#pragma once

#include <QColor>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

// The lines of the text report, built from the rainfall tables without any window, so the report
// can be checked, drawn, copied and printed from the same data.
enum class LineColour : uint8_t { Blue, Red, Grey, Flagged };

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
// Marks the event lines of flagged records (`flags` per event index): their letters in a column
// after the line, and the flag colour.
void MarkFlaggedEvents(ReportLines& lines, const std::vector<std::string>& flags);

QColor ColourOf(LineColour colour);
