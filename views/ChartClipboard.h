#pragma once

#include <QString>

class QGraphicsView;

// A chart on the clipboard twice: as a bitmap of what is on screen, and as SVG (titled) for
// programs that take a drawing they can scale.
void CopyChartToClipboard(QGraphicsView* view, const QString& title);
