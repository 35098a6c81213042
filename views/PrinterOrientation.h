#pragma once

#include <QPageLayout>
#include <QPrinter>

// Turns the printer to an orientation for one job and back to the one it had, however the job
// ends.
class PrinterOrientation {
public:
    PrinterOrientation(QPrinter* printer, QPageLayout::Orientation orientation)
        : m_printer(printer), m_previous(printer->pageLayout().orientation()) {
        m_printer->setPageOrientation(orientation);
    }
    ~PrinterOrientation() { m_printer->setPageOrientation(m_previous); }
    PrinterOrientation(const PrinterOrientation&) = delete;
    PrinterOrientation& operator=(const PrinterOrientation&) = delete;

private:
    QPrinter* m_printer;
    QPageLayout::Orientation m_previous;
};
