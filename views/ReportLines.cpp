#include "views/ReportLines.h"

#include "data/DataUnit.h"

#include <QHash>
#include <cstdlib>

namespace {

const QString kNoData = QStringLiteral("No Data Available");

// Depths repeat a lot (most events are one or two tips), so each distinct count is formatted once.
class DepthTexts {
public:
    const QString& operator()(int32_t count) {
        auto it = m_cache.constFind(count);
        if (it == m_cache.constEnd())
            it = m_cache.insert(count, DataUnit::FormatDepth(count));
        return *it;
    }

private:
    QHash<int32_t, QString> m_cache;
};

ReportLines noData() {
    ReportLines lines;
    lines.texts << kNoData;
    lines.colours.push_back(LineColour::Blue);
    return lines;
}

void appendTwoDigits(QString& line, int v) {
    line += QLatin1Char(char('0' + v / 10 % 10));
    line += QLatin1Char(char('0' + v % 10));
}

// The short date as ShortDateText writes it, from parts already decoded.
void appendDate(QString& line, const TDateParts& p) {
    appendTwoDigits(line, p.month);
    line += QLatin1Char('/');
    appendTwoDigits(line, p.day);
    line += QLatin1Char('/');
    appendTwoDigits(line, std::abs(p.year % 100));
}

} // namespace

ReportLines BuildEventLines() {
    const int32_t count = DataUnit::EventCount();
    if (count == 0)
        return noData();
    ReportLines lines;
    lines.texts.reserve(count);
    lines.colours.reserve(size_t(count));
    DepthTexts depth;
    for (int32_t i = 0; i < count; ++i) {
        bool outOfRange = false;
        const TRainRecord r = DataUnit::GetEvent(i, outOfRange);
        if (outOfRange)
            continue;
        const TDateParts p = DecodeDateTime(r.DateTime);
        const QString& d = depth(r.Count);
        QString line;
        line.reserve(8 + 9 + d.size() + 2 + r.Message.size());
        appendDate(line, p);
        line += QLatin1Char(' ');
        appendTwoDigits(line, p.hour);
        line += QLatin1Char(':');
        appendTwoDigits(line, p.minute);
        line += QLatin1String(" - ");
        line += d;
        line += QLatin1String(" :");
        line += r.Message;
        lines.texts.append(std::move(line));
        lines.colours.push_back(r.Message.isEmpty() ? LineColour::Blue : LineColour::Red);
    }
    return lines;
}

ReportLines BuildDailyLines() {
    const int32_t count = DataUnit::DailyCount();
    if (count == 0)
        return noData();
    ReportLines lines;
    lines.texts.reserve(count);
    lines.colours.reserve(size_t(count));
    DepthTexts depth;
    TDateTime previous = 0;
    for (int32_t i = 0; i < count; ++i) {
        bool outOfRange = false;
        const TRainRecord r = DataUnit::GetDaily(i, outOfRange);
        if (outOfRange)
            continue;
        QString line = ShortDateText(r.DateTime) + QLatin1String(" - ") + depth(r.Count);
        LineColour colour = LineColour::Blue;
        if (r.DateTime == DataUnit::PowerResetDate || r.DateTime == DataUnit::SequenceErrorDate) {
            colour = LineColour::Red;
            line += QLatin1String(" - Warning! Power Reset.");
        } else if (r.Count == 0) {
            colour = LineColour::Grey;
        } else if (r.DateTime < previous) {
            colour = LineColour::Red;
            line += QLatin1String("Warning! Date Squence Error.");
        }
        previous = r.DateTime;
        lines.texts.append(std::move(line));
        lines.colours.push_back(colour);
    }
    return lines;
}

ReportLines BuildReportLines(ReportKind kind) {
    return kind == ReportKind::Event ? BuildEventLines() : BuildDailyLines();
}

QColor ColourOf(LineColour colour) {
    switch (colour) {
    case LineColour::Red:
        return QColor(255, 0, 0);
    case LineColour::Grey:
        return QColor(128, 128, 128);
    case LineColour::Flagged:
        return QColor(214, 96, 0);
    case LineColour::Blue:
        break;
    }
    return QColor(0, 0, 255);
}

void MarkFlaggedEvents(ReportLines& lines, const std::vector<std::string>& flags) {
    if (size_t(lines.texts.size()) != flags.size())
        return; // "No Data Available", or a table that changed under the report
    for (size_t i = 0; i < flags.size(); ++i) {
        if (flags[i].empty())
            continue;
        lines.texts[qsizetype(i)] +=
            QLatin1String("  [") + QLatin1String(flags[i]) + QLatin1Char(']');
        lines.colours[i] = LineColour::Flagged;
    }
}
