#include "views/GraphScale.h"

#include <QHash>
#include <algorithm>
#include <cmath>

ValueScale ChooseValueScale(double highest) {
    if (!(highest > 0) || !std::isfinite(highest))
        return {1.0, 0.25};
    // Aim for about five steps of 1, 2 or 5 times a power of ten.
    const double rough = highest / 5;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = power;
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        step = m * power;
        if (step >= rough)
            break;
    }
    step = std::max(step, 0.01);
    double max = std::ceil(highest / step - 1e-9) * step;
    if (max < highest)
        max += step;
    return {max, step};
}

std::vector<int> ChooseLabelledSlots(int first, int last, double axisWidth, double labelWidth) {
    std::vector<int> chosen;
    first = std::max(first, 0);
    if (last < first || axisWidth <= 0)
        return chosen;
    const double visible = last - first + 1;
    const double perLabel = std::max(1.0, labelWidth);
    const int fits = std::max(1, int(axisWidth / perLabel));
    const int every = std::max(1, int(std::ceil(visible / fits)));
    for (int slot = (first + every - 1) / every * every; slot <= last; slot += every)
        chosen.push_back(slot);
    return chosen;
}

QStringList MadeUnique(const QStringList& texts) {
    QStringList out;
    out.reserve(texts.size());
    QHash<QString, int> seen;
    for (const QString& text : texts) {
        int& repeats = seen[text];
        out << (repeats == 0 ? text : text + QString(repeats, QChar(0x200B)));
        ++repeats;
    }
    return out;
}
