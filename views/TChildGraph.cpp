#include "views/TChildGraph.h"

#include "views/ChildHost.h"

#include <QWidget>

TChildGraph::TChildGraph(ChildHost* host, QWidget* parent) : TChild(host, parent) {
    setWindowTitle(QStringLiteral("Graph"));
    setWidget(new QWidget(this));
    resize(467, 340);
}

void TChildGraph::SetRange(int32_t first, int32_t last) {
    m_firstDay = first;
    m_lastDay = last;
    UpdateGraph();
}

void TChildGraph::UpdateGraph() {}
void TChildGraph::DoPrint(QPrinter*) {}
void TChildGraph::CopyToClipboard() {}
