#include "data/CaptureStream.h"
#include "data/DataUnit.h"

#include "ui/Prompts.h"

#include <QVarLengthArray>

#include <algorithm>
#include <cstring>

namespace DataUnit {

namespace {

uint16_t YearCounter = 0;
uint16_t LastMonth = 0;

bool IsBlankOrControl(QChar c) {
    return c.unicode() <= 32 || c.unicode() == 127;
}
bool IsControl(QChar c) {
    return c.unicode() < 32 || c.unicode() == 127;
}

QStringView WithoutLineEnd(QStringView line) {
    while (!line.isEmpty() &&
           (line.back() == QLatin1Char('\n') || line.back() == QLatin1Char('\r')))
        line.chop(1);
    return line;
}

int ParseMessageLine(const QString& line) {
    if (line.size() < 19)
        return ParseOk; // too short for a message: ignored
    const TDateTime date = LoggerTimeToDateTime(QStringView(line).mid(2, 14));
    // Up to, not including, the line's last character (its line feed in a download).
    QStringView message = QStringView(line).mid(17, line.size() - 18).left(20);
    // A CR left from a CR LF line end would corrupt every report line that shows the text.
    while (!message.isEmpty() && IsControl(message.back()))
        message.chop(1);
    AppendEvent({date, 0, message.toString()});
    return ParseOk;
}

} // namespace

void StartOldFormatYear(TDateTime startTime) {
    YearCounter = uint16_t(DecodeDateTime(startTime).year - 2000);
    LastMonth = 0;
}

int ParseRecordLine(const QString& line) {
    if (!line.isEmpty() && line[0] == QLatin1Char('M'))
        return ParseMessageLine(line);
    // Date text, one separator and at least one count character.
    if (WithoutLineEnd(line).size() < 16)
        return ParseTooShort;
    const TDateTime date = LoggerTimeToDateTime(QStringView(line).first(14));
    QStringView count = QStringView(line).mid(15);
    while (!count.isEmpty() && IsBlankOrControl(count.back()))
        count.chop(1);
    int32_t value = 0;
    bool whole = false;
    const qsizetype point = count.indexOf(QLatin1Char('.'));
    if (point < 0) {
        whole = ReadWholeNumber(count, value);
    } else {
        // 0.05 reads as 5 and 1.5 as 15: the point is simply dropped.
        QVarLengthArray<QChar, 32> digits;
        digits.append(count.data(), point);
        digits.append(count.data() + point + 1, count.size() - point - 1);
        whole = ReadWholeNumber(QStringView(digits.data(), digits.size()), value);
    }
    if (!whole)
        return ParseBadCount;
    AppendEvent({date, int32_t(uint32_t(value) & 0xFFu), {}});
    return ParseOk;
}

int ParseOldRecordLine(const QString& line) {
    if (line.size() < 16)
        return ParseTooShort;
    int32_t month = 0;
    if (!ReadWholeNumber(QStringView(line).first(2), month))
        return ParseBadDate;
    if (month < LastMonth)
        ++YearCounter;
    LastMonth = uint16_t(month);
    QString rewritten;
    rewritten.reserve(19);
    rewritten += QStringView(line).first(5);
    rewritten += QLatin1Char('/');
    rewritten += QLatin1Char(char('0' + YearCounter / 10 % 10));
    rewritten += QLatin1Char(char('0' + YearCounter % 10));
    rewritten += QStringView(line).mid(5, 11);
    rewritten[8] = QLatin1Char(' ');
    return ParseRecordLine(rewritten);
}

void ParseDownload(const QString& loggerVersion) {
    ParseDownload(loggerVersion, NowDateTime());
}

void ParseDownload(const QString& loggerVersion, TDateTime endTime) {
    const InvalidDateNoticeOnce notice;
    const QByteArray& bytes = CaptureStream::Bytes();
    // A version text too short to have a third character reads it as a blank: the old format.
    const char16_t formatCode = loggerVersion.size() >= 3 ? loggerVersion[2].unicode() : u' ';
    const bool oldFormat = formatCode <= u'4';

    // Reading stops at the first '!'; the line holding it is never parsed.
    const qsizetype bang = bytes.indexOf('!');
    const char* data = bytes.constData();
    const char* const end = data + (bang < 0 ? bytes.size() : bang);
    // A line that adds a record has at least 16 characters, which bounds the table.
    ReserveEvents(std::min<qsizetype>(std::count(data, end, '\n'), (end - data) / 16) + 2);

    int errors = 0;
    int lineNumber = 0;
    LastMonth = 0;
    for (const char* start = data; start < end;) {
        const char* lf = static_cast<const char*>(std::memchr(start, '\n', size_t(end - start)));
        if (!lf)
            break; // an unfinished last line is not a line
        const qsizetype length = lf - start + 1;
        ++lineNumber;
        if (lineNumber == 3) {
            const QString text = QString::fromLatin1(start, length >= 16 ? 14 : length);
            const TDateTime start3 = LoggerTimeToDateTime(text);
            SetStartTime(start3);
            StartOldFormatYear(start3);
            AppendEvent({start3, 0, {}});
        } else if (lineNumber > 3) {
            const QString line = QString::fromLatin1(start, std::min(length, MaxLineLength));
            const int status = oldFormat ? ParseOldRecordLine(line) : ParseRecordLine(line);
            if (status != ParseOk)
                ++errors;
        }
        start = lf + 1;
    }
    AppendEvent({endTime, 0, {}});
    CaptureStream::Release();
    if (errors > 0) {
        ClearTables();
        Prompts::ShowError(QStringLiteral("There were ") + QString::number(errors) +
                           QStringLiteral(" errors processing data!"));
    }
}

} // namespace DataUnit
