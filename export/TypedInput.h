#pragma once

#include <QLocale>
#include <QString>
#include <cstdint>

// A text taken the way the spreadsheet takes what the user types into a cell: dates and date-times
// in the program's "MM/dd/yy" form become dates, numbers in the locale's form become numbers,
// anything else stays text.
struct TypedValue {
    enum class Kind : uint8_t { Empty, Text, Number, Date, DateTime };
    Kind kind = Kind::Empty;
    double number = 0;      // Number; Date and DateTime as a serial day number
    int decimals = -1;      // Number: digits after the separator, -1 with an exponent or none
    bool twelveHour = true; // DateTime: written with AM/PM
    QString text;           // Text
};

TypedValue InterpretTypedInput(const QString& text, const QLocale& locale = QLocale());
