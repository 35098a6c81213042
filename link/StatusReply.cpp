#include "link/StatusReply.h"

namespace {
const QByteArray kLineEnd("\r\n");
}

StatusReplyResult ParseStatusReply(const QByteArray& reply, DeviceStatus& status, TDateTime now) {
    StatusReplyResult result;
    QByteArray s = reply;
    // The closing "OK" CR LF ends the reply; it is not a status line of its own.
    if (s.size() >= 4 && s.right(4).toUpper() == "OK\r\n")
        s.chop(4);
    const qsizetype prompt = s.indexOf('>');
    if (prompt >= 0)
        s.remove(0, prompt + 1);
    s.remove(0, 2);

    qsizetype end = s.indexOf(kLineEnd);
    if (end < 0)
        return result;
    status.DeviceName = QString::fromLatin1(s.left(std::max<qsizetype>(0, end - 1)));
    s.remove(0, end + 2);

    end = s.indexOf(kLineEnd);
    if (end < 0)
        return result;
    status.ClockOffset = now - LoggerTimeToDateTime(QString::fromLatin1(s.left(end)));
    s.remove(0, end + 2);

    end = s.indexOf(" Records\r\n");
    if (end < 0)
        return result;
    status.RecordCount = TextToInt(QString::fromLatin1(s.left(end)));
    s.remove(0, end + 10);

    end = s.indexOf(" Days\r\n");
    if (end < 0)
        return result;
    s.remove(0, end + 7);
    result.complete = true;

    end = s.indexOf(kLineEnd);
    if (end >= 0) {
        status.LoggerVersion = QString::fromLatin1(s.left(std::min<qsizetype>(3, end)));
        s.remove(0, end + 2);
        result.versionReached = true;
        end = s.indexOf(kLineEnd);
        if (end >= 0)
            status.BatteryText = QString::fromLatin1(s.left(std::min<qsizetype>(10, end)));
    }
    return result;
}

QByteArray ClockText(TDateTime now) {
    const TDateParts p = DecodeDateTime(now);
    return QStringLiteral("%1%2%3%4%5%6")
        .arg(p.year % 100, 2, 10, QLatin1Char('0'))
        .arg(p.month, 2, 10, QLatin1Char('0'))
        .arg(p.day, 2, 10, QLatin1Char('0'))
        .arg(p.hour, 2, 10, QLatin1Char('0'))
        .arg(p.minute, 2, 10, QLatin1Char('0'))
        .arg(p.second, 2, 10, QLatin1Char('0'))
        .toLatin1();
}

char DownloadCommand(const QString& loggerVersion) {
    if (loggerVersion.size() < 3)
        return 'o';
    return loggerVersion.at(2).unicode() < '5' ? 'o' : 'y';
}
