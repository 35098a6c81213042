#include "views/TextPos.h"

#include <algorithm>

DayRange SelectionToDayRange(TextPos start, TextPos end) {
    if (end < start)
        std::swap(start, end);
    const int breaksInside = end.line - start.line;
    const bool endsWithBreak = breaksInside > 0 && end.column == 0;
    DayRange range;
    range.first = start.line;
    range.last = start.line + breaksInside - 1 + (endsWithBreak ? 0 : 1);
    return range;
}
