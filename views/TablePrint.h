#pragma once

#include <QStringList>
#include <vector>

class QPrinter;

// Prints a table as one job on landscape pages: header lines, then the column headings and the
// rows, the headings again on every page. Column widths fit their widest cell; a table too wide
// for the page is drawn in a smaller font. Throws OmbrexError when the printer cannot be started.
void PrintTable(QPrinter* printer, const QString& docName, const QStringList& headerLines,
                const QStringList& columns, const std::vector<QStringList>& rows);
