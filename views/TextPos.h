#pragma once

#include <compare>
#include <cstdint>

// A place between characters in a list of lines: the line and the characters before it on that
// line. Column 0 of a later line lies just after the line break that ends the line before.
struct TextPos {
    int line = 0;
    int column = 0;
    auto operator<=>(const TextPos&) const = default;
};

struct DayRange {
    int32_t first = 0;
    int32_t last = 0;
};

// The days a daily-report selection covers: the line the selection starts on, to the line it
// ends on, where a selection that ends with a line break ends on the line before that break.
DayRange SelectionToDayRange(TextPos start, TextPos end);
