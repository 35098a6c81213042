#include "tools/hyetra-sim/LoggerMemory.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTimeZone>

LoggerTime MakeLoggerTime(int year, int month, int day, int hour, int minute, int second) {
    return LoggerTime(QDate(year, month, day), QTime(hour, minute, second), QTimeZone::utc());
}

LoggerTime PcWallClock() {
    const QDateTime local = QDateTime::currentDateTime();
    return LoggerTime(local.date(), local.time(), QTimeZone::utc());
}

namespace {
double g_ratePpm = 0;
QElapsedTimer g_sinceSet;
} // namespace

void SetClockRate(double ppm) {
    g_ratePpm = ppm;
    g_sinceSet.start();
}

void RestartClockDrift() {
    g_sinceSet.start();
}

qint64 ClockDriftMs() {
    return g_sinceSet.isValid() ? qint64(double(g_sinceSet.elapsed()) * g_ratePpm / 1e6) : 0;
}

LoggerTime LoggerNow(qint64 offsetMs) {
    return PcWallClock().addMSecs(offsetMs + ClockDriftMs());
}

LoggerTime PowerResetTime() {
    return MakeLoggerTime(2002, 1, 1, 0, 0);
}

QString DateText(const LoggerTime& t) {
    return t.toString(QStringLiteral("MM/dd/yy HH:mm"));
}

QString ClockText(const LoggerTime& t) {
    return t.toString(QStringLiteral("MM/dd/yy HH:mm:ss"));
}

int FullYear(int twoDigitYear) {
    const int thisYear = QDate::currentDate().year();
    int year = thisYear - thisYear % 100 + twoDigitYear;
    if (year > thisYear + 49)
        year -= 100;
    else if (year < thisYear - 50)
        year += 100;
    return year;
}

QString MessageProblem(const QString& text) {
    if (text.isEmpty())
        return QStringLiteral("a message needs a text");
    if (text.size() > 60)
        return QStringLiteral("a message holds at most 60 characters");
    for (const QChar c : text) {
        if (c.unicode() < 32 || c.unicode() > 126)
            return QStringLiteral("a message holds printable ASCII characters only");
        if (c == QLatin1Char('!'))
            return QStringLiteral("a message cannot hold '!' (it starts the check sum field)");
    }
    // "K" CR LF ends the program's download matcher.
    if (text.back().toUpper() == QLatin1Char('K'))
        return QStringLiteral("a message cannot end in 'k' (it would end the transfer early)");
    return {};
}

namespace {

QString DataDate(const LoggerTime& t) {
    return t.toString(QStringLiteral("MM/dd/yy,HH:mm"));
}

QString CountText(int count) {
    return QString::asprintf("%d.%02d", count / 100, count % 100);
}

bool TwoDigits(const QString& s, int at, int& value) {
    if (!s.at(at).isDigit() || !s.at(at + 1).isDigit())
        return false;
    value = s.at(at).digitValue() * 10 + s.at(at + 1).digitValue();
    return true;
}

// "MM/dd/yy,HH:mm"
bool ParseDataDate(const QString& s, LoggerTime& t) {
    if (s.size() != 14 || s.at(2) != QLatin1Char('/') || s.at(5) != QLatin1Char('/') ||
        s.at(8) != QLatin1Char(',') || s.at(11) != QLatin1Char(':'))
        return false;
    int month, day, year, hour, minute;
    if (!TwoDigits(s, 0, month) || !TwoDigits(s, 3, day) || !TwoDigits(s, 6, year) ||
        !TwoDigits(s, 9, hour) || !TwoDigits(s, 12, minute))
        return false;
    const QDate date(FullYear(year), month, day);
    const QTime time(hour, minute);
    if (!date.isValid() || !time.isValid())
        return false;
    t = LoggerTime(date, time, QTimeZone::utc());
    return true;
}

// As the program reads a count: its first '.' removed, then a whole number.
bool ParseCount(QString text, int& count) {
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        text.remove(dot, 1);
    if (text.isEmpty() || text.size() > 6)
        return false;
    for (const QChar c : text)
        if (!c.isDigit())
            return false;
    count = text.toInt();
    return count <= 255;
}

} // namespace

QStringList MemoryLines(const LoggerMemory& memory) {
    QStringList lines;
    lines.reserve(qsizetype(memory.records.size()) + 1);
    lines << QStringLiteral("S,") + DataDate(memory.start);
    for (const MemoryRecord& r : memory.records) {
        if (r.isMessage())
            lines << QStringLiteral("M,%1,%2").arg(DataDate(r.time), r.message);
        else
            lines << QStringLiteral("%1,%2").arg(DataDate(r.time), CountText(r.count));
    }
    return lines;
}

bool ParseMemoryLines(const QStringList& lines, LoggerMemory& memory, QString& error) {
    LoggerMemory read;
    bool haveStart = false;
    int number = 0;
    for (QString line : lines) {
        ++number;
        while (!line.isEmpty() && (line.back() == QLatin1Char('\r') || line.back().isSpace()))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const auto fail = [&](const QString& why) {
            error = QStringLiteral("line %1: %2: \"%3\"").arg(number).arg(why, line);
            return false;
        };
        LoggerTime t;
        if (line.startsWith(QLatin1String("S,"))) {
            if (!ParseDataDate(line.mid(2), t))
                return fail(QStringLiteral("the start time must read S,MM/dd/yy,HH:mm"));
            read.start = t;
            haveStart = true;
        } else if (line.startsWith(QLatin1String("M,"))) {
            if (line.size() < 18 || !ParseDataDate(line.mid(2, 14), t) ||
                line.at(16) != QLatin1Char(','))
                return fail(QStringLiteral("a message must read M,MM/dd/yy,HH:mm,text"));
            const QString text = line.mid(17);
            const QString problem = MessageProblem(text);
            if (!problem.isEmpty())
                return fail(problem);
            read.records.push_back({t, 0, text});
        } else {
            int count = 0;
            if (line.size() < 16 || !ParseDataDate(line.left(14), t) ||
                line.at(14) != QLatin1Char(','))
                return fail(QStringLiteral("a record must read MM/dd/yy,HH:mm,C.CC"));
            if (!ParseCount(line.mid(15), count))
                return fail(QStringLiteral("the count must be 0.00 to 2.55 (0 to 255 tips)"));
            // A data file saved by the program starts with its start record.
            if (!haveStart && read.records.empty() && count == 0) {
                read.start = t;
                haveStart = true;
                continue;
            }
            read.records.push_back({t, count, {}});
        }
    }
    if (!haveStart)
        read.start = read.records.empty() ? LoggerNow(0) : read.records.front().time;
    memory = std::move(read);
    return true;
}

bool ReadMemoryFile(const QString& path, LoggerMemory& memory, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    const QStringList lines = QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'));
    if (!ParseMemoryLines(lines, memory, error)) {
        error = QStringLiteral("%1: %2").arg(path, error);
        return false;
    }
    return true;
}

bool WriteMemoryFile(const QString& path, const LoggerMemory& memory, QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    QByteArray bytes = "# hyetra-sim memory: S start, MM/dd/yy,HH:mm,C.CC records, M messages\r\n";
    for (const QString& line : MemoryLines(memory))
        bytes += line.toLatin1() + "\r\n";
    file.write(bytes);
    if (!file.commit()) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
