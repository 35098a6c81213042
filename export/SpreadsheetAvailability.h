#pragma once

#include <QString>

// What stands for "Excel.Application" being registered: an application for .xlsx files.
inline const QString SpreadsheetMimeType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet");

bool SpreadsheetAvailable();
