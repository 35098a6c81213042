#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The value axis of the daily graph: from 0 to a round maximum above the highest bar, in round
// steps of at least 0.01.
struct ValueScale {
    double max = 1;
    double step = 0.25;
};
ValueScale ChooseValueScale(double highest);

// Which bars of the visible slots [first, last] get a date label, so that labels of the given
// width never overlap on an axis of the given width. Labels sit on every n-th slot counted from
// slot 0, so scrolling or zooming never makes a label jump between days.
std::vector<int> ChooseLabelledSlots(int first, int last, double axisWidth, double labelWidth);

// Makes texts unique by appending zero-width spaces to repeats (the chart axis keys its labels
// by their text, and marker days repeat the same date).
QStringList MadeUnique(const QStringList& texts);
