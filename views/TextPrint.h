#pragma once

#include <QStringList>

class QPrinter;

// Prints lines of plain text as one job: from the top of the first page on, a new page when one
// is full, no headers or page numbers. Throws OmbrexError when the printer cannot be started.
void PrintTextLines(QPrinter* printer, const QString& docName, const QStringList& lines);
