#pragma once

#include "views/TChild.h"

#include <cstdint>

class QPrinter;

// The graph window: a range of days of the daily table as a bar chart.
class TChildGraph : public TChild {
    Q_OBJECT
public:
    explicit TChildGraph(ChildHost* host, QWidget* parent = nullptr);

    int32_t FirstDay() const { return m_firstDay; }
    int32_t LastDay() const { return m_lastDay; }
    // Sets the range and redraws.
    void SetRange(int32_t first, int32_t last);
    void UpdateGraph();
    void DoPrint(QPrinter* printer);
    void CopyToClipboard();

private:
    int32_t m_firstDay = 0;
    int32_t m_lastDay = 0;
};
