#include "views/TextPrint.h"

#include "ui/OmbrexError.h"

#include <QPainter>
#include <QPrinter>

void PrintTextLines(QPrinter* printer, const QString& docName, const QStringList& lines) {
    printer->setDocName(docName);
    QPainter painter;
    if (!painter.begin(printer))
        throw OmbrexError(QStringLiteral("The printer could not be started."));
    QFont font(QStringLiteral("Sans Serif"), 10);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetrics fm = painter.fontMetrics();
    const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
    const int lineHeight = std::max(1, fm.lineSpacing());
    const int perPage = std::max(1, page.height() / lineHeight);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int row = int(i % perPage);
        if (row == 0 && i > 0 && !printer->newPage())
            throw OmbrexError(QStringLiteral("The printer could not start a new page."));
        painter.drawText(0, row * lineHeight + fm.ascent(), lines[i]);
    }
    painter.end();
}
