#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

// The spreadsheet application as the reports drive it: exactly the automation members they call,
// spelled as the automation server spells them. Every call may fail with an OmbrexError.
// Releasing the application object (destroying it) leaves the filled workbook with the user.

class SpreadsheetFont {
public:
    virtual ~SpreadsheetFont() = default;
    // Color := value (255 red, 0 black; the server's 0x00BBGGRR form).
    virtual void Color(int32_t value) = 0;
};

class SpreadsheetRange {
public:
    virtual ~SpreadsheetRange() = default;
    virtual void select() = 0;
    // value := text, taken by the spreadsheet as typed input.
    virtual void value(const QString& text) = 0;
    // value := a whole number.
    virtual void value(int32_t number) = 0;
    virtual std::unique_ptr<SpreadsheetFont> font() = 0;
};

class SpreadsheetWorkbooks {
public:
    virtual ~SpreadsheetWorkbooks() = default;
    virtual void open(const QString& path) = 0;
};

class SpreadsheetApplication {
public:
    virtual ~SpreadsheetApplication() = default;
    virtual void visible(bool value) = 0;
    virtual std::unique_ptr<SpreadsheetWorkbooks> Workbooks() = 0;
    // A cell of the active sheet, by address such as "a7".
    virtual std::unique_ptr<SpreadsheetRange> Range(const QString& address) = 0;
    virtual std::unique_ptr<SpreadsheetRange> Selection() = 0;
    // The release at the end of a report: the workbook passes to the user. Where that takes a
    // step of its own (writing and showing the workbook) its failure is an OmbrexError.
    virtual void release() {}
};

// Creating the object registered as "Excel.Application".
using SpreadsheetFactory = std::function<std::unique_ptr<SpreadsheetApplication>()>;
