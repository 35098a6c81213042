#include "export/TypedInput.h"

#include "data/Date_unit.h"

#include <QDate>
#include <QTime>
#include <charconv>

namespace {

bool IsDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Reads 1..maxDigits digits at pos; false when there are none.
bool ReadNumber(QStringView s, qsizetype& pos, int maxDigits, int& value) {
    const qsizetype start = pos;
    value = 0;
    while (pos < s.size() && IsDigit(s[pos]) && pos - start < maxDigits) {
        value = value * 10 + (s[pos].unicode() - '0');
        ++pos;
    }
    return pos > start;
}

bool Expect(QStringView s, qsizetype& pos, QChar c) {
    if (pos < s.size() && s[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

// "MM/dd/yy" (also one-digit month and day, and four-digit years).
bool ReadDate(QStringView s, qsizetype& pos, double& serial) {
    int month = 0, day = 0, year = 0;
    if (!ReadNumber(s, pos, 2, month) || !Expect(s, pos, QLatin1Char('/')) ||
        !ReadNumber(s, pos, 2, day) || !Expect(s, pos, QLatin1Char('/')))
        return false;
    const qsizetype yearStart = pos;
    if (!ReadNumber(s, pos, 4, year))
        return false;
    const qsizetype digits = pos - yearStart;
    if (digits == 2)
        year = ExpandTwoDigitYear(year);
    else if (digits != 4)
        return false;
    if (!QDate::isValid(year, month, day))
        return false;
    serial = EncodeDate(year, month, day);
    // The sheet's calendar starts on 1 January 1900.
    return serial >= 1;
}

bool MatchesWord(QStringView s, qsizetype pos, const QString& word) {
    return !word.isEmpty() && s.mid(pos).compare(word, Qt::CaseInsensitive) == 0;
}

// "h:mm:ss AP", "h:mm AP", "HH:mm:ss" or "HH:mm".
bool ReadTime(QStringView s, qsizetype& pos, const QLocale& locale, double& fraction,
              bool& twelveHour) {
    int hour = 0, minute = 0, second = 0;
    if (!ReadNumber(s, pos, 2, hour) || !Expect(s, pos, QLatin1Char(':')) ||
        !ReadNumber(s, pos, 2, minute))
        return false;
    if (Expect(s, pos, QLatin1Char(':')) && !ReadNumber(s, pos, 2, second))
        return false;
    while (pos < s.size() && s[pos] == QLatin1Char(' '))
        ++pos;
    twelveHour = pos < s.size();
    if (twelveHour) {
        bool pm = false;
        if (MatchesWord(s, pos, QStringLiteral("PM")) || MatchesWord(s, pos, locale.pmText()))
            pm = true;
        else if (!MatchesWord(s, pos, QStringLiteral("AM")) &&
                 !MatchesWord(s, pos, locale.amText()))
            return false;
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + (pm ? 12 : 0);
        pos = s.size();
    }
    if (hour > 23 || minute > 59 || second > 59)
        return false;
    fraction = EncodeTime(hour, minute, second);
    return true;
}

// The time as the program writes it under the locale ("16.15.00", "16時15分00秒", "오후 4시 15분
// 0초"): what the reports write is taken back the same under every locale.
bool ReadLocaleTime(QStringView s, const QLocale& locale, double& fraction, bool& twelveHour) {
    const QString format = LongTimeFormat(locale);
    const QTime time = locale.toTime(s.toString(), format);
    if (!time.isValid())
        return false;
    fraction = EncodeTime(time.hour(), time.minute(), time.second());
    twelveHour = format.contains(QLatin1Char('a'), Qt::CaseInsensitive);
    return true;
}

bool ReadDecimal(QStringView s, const QLocale& locale, double& value, int& decimals) {
    const QString point = locale.decimalPoint();
    QByteArray plain;
    plain.reserve(s.size());
    qsizetype pos = 0;
    if (pos < s.size() && (s[pos] == QLatin1Char('-') || s[pos] == QLatin1Char('+')))
        plain += char(s[pos++].unicode());
    qsizetype digits = 0;
    while (pos < s.size() && IsDigit(s[pos])) {
        plain += char(s[pos++].unicode());
        ++digits;
    }
    decimals = -1;
    if (pos < s.size() && s.mid(pos).startsWith(point)) {
        pos += point.size();
        plain += '.';
        decimals = 0;
        while (pos < s.size() && IsDigit(s[pos])) {
            plain += char(s[pos++].unicode());
            ++decimals;
        }
        digits += decimals;
    }
    if (digits == 0)
        return false;
    if (pos < s.size() && (s[pos] == QLatin1Char('E') || s[pos] == QLatin1Char('e'))) {
        plain += 'E';
        ++pos;
        if (pos < s.size() && (s[pos] == QLatin1Char('-') || s[pos] == QLatin1Char('+')))
            plain += char(s[pos++].unicode());
        qsizetype exponentDigits = 0;
        while (pos < s.size() && IsDigit(s[pos])) {
            plain += char(s[pos++].unicode());
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return false;
        decimals = -1;
    }
    if (pos != s.size())
        return false;
    const char* begin = plain.constData();
    if (*begin == '+')
        ++begin;
    const auto result = std::from_chars(begin, plain.constData() + plain.size(), value);
    return result.ec == std::errc() && result.ptr == plain.constData() + plain.size();
}

} // namespace

TypedValue InterpretTypedInput(const QString& text, const QLocale& locale) {
    TypedValue out;
    if (text.isEmpty())
        return out;
    const QStringView s(text);
    qsizetype pos = 0;
    double serial = 0;
    if (ReadDate(s, pos, serial)) {
        if (pos == s.size()) {
            out.kind = TypedValue::Kind::Date;
            out.number = serial;
            return out;
        }
        double fraction = 0;
        if (Expect(s, pos, QLatin1Char(' '))) {
            const qsizetype timeStart = pos;
            if ((ReadTime(s, pos, locale, fraction, out.twelveHour) && pos == s.size()) ||
                ReadLocaleTime(s.mid(timeStart), locale, fraction, out.twelveHour)) {
                out.kind = TypedValue::Kind::DateTime;
                out.number = serial + fraction;
                return out;
            }
        }
    }
    if (ReadDecimal(s, locale, out.number, out.decimals)) {
        out.kind = TypedValue::Kind::Number;
        return out;
    }
    out.kind = TypedValue::Kind::Text;
    out.text = text;
    return out;
}
