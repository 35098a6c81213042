#pragma once

#include "export/SpreadsheetApplication.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <memory>

// A spreadsheet application that records every automation call in order and keeps the cells it
// was given, so a test can compare call sequences and sheet contents. It can be told to fail.
class RecordingSpreadsheet {
public:
    struct Cell {
        QString value;  // text as given; a whole number as "int N"
        int color = -1; // -1: never set
    };

    // Every call, in order ("create", "visible=true", "Range(a7)", "value='08/01/05'", ...).
    QStringList calls;
    bool logCalls = true;
    // Cells by address ("a7"), lower case.
    QMap<QString, Cell> cells;
    bool keepCells = true;
    int valueWrites = 0;
    int highestRow = 0;
    int instances = 0;
    int released = 0;
    // Was the hourglass up at every value written?
    bool cursorAtEveryWrite = true;

    // Failure injection.
    QString failOpen;      // open() throws this text
    QString failAtAddress; // Range(address) throws
    int lastRow = 1048576; // rows beyond the sheet's last row throw, as the spreadsheet does
    std::function<void()> onCreate;

    SpreadsheetFactory factory();

    // Row r as {A, B, C}; missing cells as "".
    QStringList row(int r) const;
    int colorOf(const QString& address) const;
    // Rows 7.. up to the last written one, each "A|B|C".
    QStringList rows() const;

    void log(const QString& call) {
        if (logCalls)
            calls << call;
    }
    QString selected = QStringLiteral("a1");
};
