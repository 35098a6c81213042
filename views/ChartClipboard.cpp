#include "views/ChartClipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGraphicsView>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QSvgGenerator>

void CopyChartToClipboard(QGraphicsView* view, const QString& title) {
    const QSize size = view->viewport()->size();
    const QImage bitmap = view->grab(view->viewport()->geometry()).toImage();
    QByteArray svg;
    QBuffer buffer(&svg);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(title);
    {
        QPainter painter(&generator);
        view->render(&painter, QRectF(QPointF(0, 0), size), view->viewport()->rect());
    }
    auto* data = new QMimeData;
    data->setImageData(bitmap);
    data->setData(QStringLiteral("image/svg+xml"), svg);
    QGuiApplication::clipboard()->setMimeData(data);
}
