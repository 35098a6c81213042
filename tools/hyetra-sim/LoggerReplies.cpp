#include "tools/hyetra-sim/LoggerReplies.h"

#include "tools/hyetra-sim/SimCrc.h"

bool NewRecordFormat(const QString& version) {
    return version.size() >= 3 && version.at(2).unicode() >= '5';
}

int MemoryCapacity(const QString& version) {
    const QChar size = version.size() >= 2 ? version.at(1) : QLatin1Char(' ');
    if (size == QLatin1Char('1'))
        return 10732;
    if (size == QLatin1Char('2'))
        return 232106;
    return 5356;
}

QString MemorySizeText(const QString& version) {
    const QChar size = version.size() >= 2 ? version.at(1) : QLatin1Char(' ');
    if (size == QLatin1Char('1'))
        return QStringLiteral("256K");
    if (size == QLatin1Char('2'))
        return QStringLiteral("2 MB");
    return QStringLiteral("128K");
}

QString VersionProblem(const QString& version) {
    if (version.size() != 3)
        return QStringLiteral("the version code has exactly 3 characters");
    for (const QChar c : version)
        if (c.unicode() <= 32 || c.unicode() > 126)
            return QStringLiteral("the version code holds printable ASCII characters only");
    if (version.at(2).toUpper() == QLatin1Char('K'))
        return QStringLiteral("the version code cannot end in 'k' (\"k\" CR LF ends a reply)");
    return {};
}

QByteArray PromptReply() {
    return QByteArrayLiteral("\r\nHyetra>");
}

QByteArray StatusReply(const StatusValues& v, StatusCut cut) {
    // No prompt of its own: after a clock setting the program reads the prompt of its ":" and
    // this reply as one text, drops everything through the first '>' and the two characters
    // behind it (or, without a prompt, just the first two), and the name line's last character,
    // which is a blank here.
    QByteArray reply = "\r\n";
    reply += v.name.toLatin1() + " \r\n";
    const QByteArray clock = ClockText(v.clock).toLatin1() + "\r\n";
    if (cut == StatusCut::HalfWay)
        return reply + clock.left(8);
    reply += clock;
    reply += QByteArray::number(v.records) + " Records\r\n";
    reply += QByteArray::number(v.days) + " Days\r\n";
    if (cut == StatusCut::AfterDays)
        return reply;
    if (cut == StatusCut::None) {
        reply += v.version.toLatin1() + "\r\n";
        reply += v.battery.leftJustified(10, QLatin1Char(' '), true).toLatin1() + "\r\n";
    }
    return reply + "OK\r\n";
}

QByteArray ClockReply(int model) {
    return model == 1 ? QByteArrayLiteral("\r") : QByteArrayLiteral("OK\r\n");
}

QByteArray ClearReply() {
    return QByteArrayLiteral("OK\r\n");
}

QByteArray RecordLine(const MemoryRecord& r, bool newFormat) {
    // The old firmware writes no message lines (the program would refuse them).
    if (r.isMessage() && !newFormat)
        return {};
    if (r.isMessage())
        return "M " + DateText(r.time).toLatin1() + ' ' + r.message.toLatin1() + "\r\n";
    if (newFormat)
        return DateText(r.time).toLatin1() + ' ' +
               QString::asprintf("%d.%02d", r.count / 100, r.count % 100).toLatin1() + "\r\n";
    // The old firmware leaves out the year; the program counts it from the start time.
    return r.time.toString(QStringLiteral("MM/dd HH:mm")).toLatin1() +
           QString::asprintf(" %04d\r\n", r.count).toLatin1();
}

QList<QByteArray> DownloadLines(const LoggerMemory& memory, const QString& version,
                                bool newFormat) {
    QList<QByteArray> lines;
    lines.reserve(qsizetype(memory.records.size()) + 3);
    lines << QByteArrayLiteral("\r\n");
    lines << "Hyetra " + version.toLatin1() + ' ' +
                 QByteArray::number(qsizetype(memory.records.size())) + " Records\r\n";
    lines << DateText(memory.start).toLatin1() + "\r\n";
    for (const MemoryRecord& r : memory.records)
        if (const QByteArray line = RecordLine(r, newFormat); !line.isEmpty())
            lines << line;
    return lines;
}

quint16 DownloadCrc(const QByteArray& covered) {
    return SimCrc16(covered);
}

QByteArray CrcField(quint16 crc) {
    return QString::asprintf("!%05u\r\n", unsigned(crc)).toLatin1();
}

QByteArray DownloadEnd() {
    return QByteArrayLiteral("OK\r\n");
}
