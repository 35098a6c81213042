#include "views/TablePrint.h"

#include "ui/OmbrexError.h"
#include "views/PrinterOrientation.h"

#include <QPainter>
#include <QPrinter>

void PrintTable(QPrinter* printer, const QString& docName, const QStringList& headerLines,
                const QStringList& columns, const std::vector<QStringList>& rows) {
    const PrinterOrientation landscape(printer, QPageLayout::Landscape);
    printer->setDocName(docName);
    QPainter painter;
    if (!painter.begin(printer))
        throw OmbrexError(QStringLiteral("The printer could not be started."));
    const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());

    QFont font(QStringLiteral("Sans Serif"), 9);
    std::vector<int> widths;
    int gap = 0;
    for (int size = 9; size >= 5; --size) {
        font.setPointSize(size);
        painter.setFont(font);
        const QFontMetrics fm = painter.fontMetrics();
        gap = fm.horizontalAdvance(QStringLiteral("  "));
        widths.assign(size_t(columns.size()), 0);
        for (qsizetype c = 0; c < columns.size(); ++c)
            widths[size_t(c)] = fm.horizontalAdvance(columns[c]);
        for (const QStringList& row : rows)
            for (qsizetype c = 0; c < row.size() && c < columns.size(); ++c)
                widths[size_t(c)] = std::max(widths[size_t(c)], fm.horizontalAdvance(row[c]));
        int total = 0;
        for (int w : widths)
            total += w + gap;
        if (total <= page.width())
            break;
    }
    painter.setPen(Qt::black);
    const QFontMetrics fm = painter.fontMetrics();
    const int lineHeight = std::max(1, fm.lineSpacing());
    int y = 0;
    auto nextLine = [&]() {
        if (y + lineHeight > page.height()) {
            if (!printer->newPage())
                throw OmbrexError(QStringLiteral("The printer could not start a new page."));
            y = 0;
            return true;
        }
        return false;
    };
    auto drawRow = [&](const QStringList& cells, bool bold) {
        QFont f = font;
        f.setBold(bold);
        painter.setFont(f);
        int x = 0;
        for (qsizetype c = 0; c < cells.size() && c < columns.size(); ++c) {
            // Numbers line up on the right; the first columns (times, periods) on the left.
            const bool left = c == 0 || (c == 1 && columns.size() > 12);
            const int w = widths[size_t(c)];
            const int tx = left ? x : x + w - painter.fontMetrics().horizontalAdvance(cells[c]);
            painter.drawText(tx, y + fm.ascent(), cells[c]);
            x += w + gap;
        }
        y += lineHeight;
    };
    for (const QString& line : headerLines) {
        nextLine();
        painter.setFont(font);
        painter.drawText(0, y + fm.ascent(), line);
        y += lineHeight;
    }
    nextLine();
    drawRow(columns, true);
    for (const QStringList& row : rows) {
        if (nextLine())
            drawRow(columns, true);
        drawRow(row, false);
    }
    painter.end();
}
