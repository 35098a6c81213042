#pragma once

#include "export/TypedInput.h"

#include <QString>
#include <cstdint>
#include <memory>

// One workbook made from an Open XML template: the template's parts are kept as they are, the
// cells written go into its first sheet, and saving writes a workbook package (.xlsx).
// Failures throw OmbrexError with a text that names the file.
class XlsxWorkbook {
public:
    static constexpr int32_t LastRow = 1048576;
    static constexpr int32_t LastColumn = 16384;
    static constexpr int ErrorCode = -501;

    XlsxWorkbook();
    ~XlsxWorkbook();
    XlsxWorkbook(const XlsxWorkbook&) = delete;
    XlsxWorkbook& operator=(const XlsxWorkbook&) = delete;

    void load(const QString& templatePath);

    // row 1..LastRow, column 1..LastColumn.
    void setValue(int32_t row, int32_t column, const TypedValue& value);
    // rgb as 0xRRGGBB.
    void setFontColor(int32_t row, int32_t column, uint32_t rgb);

    int32_t lastWrittenRow() const;
    void save(const QString& path);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// "a7" to row and column; false for anything that is not a cell of the sheet.
bool ParseCellAddress(const QString& address, int32_t& row, int32_t& column);
// 1 -> "A", 27 -> "AA".
QString ColumnLetters(int32_t column);
