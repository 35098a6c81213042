#pragma once

#include "export/ReportGenerators.h"
#include "export/SpreadsheetApplication.h"
#include "export/WaitCursor.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

// The sheet layout and the automation calls every report shares.
namespace ReportSheet {

constexpr int32_t FirstDataRow = 7;
constexpr int32_t RowLimit = 65535;

inline const QString PowerResetRemark = QStringLiteral(" - Warning! Power Reset.");
inline const QString SequenceErrorRemark = QStringLiteral(" - Warning! Date Squence Error.");
inline const QString NewEventRemark = QStringLiteral("New Rainfall Event");
inline const QString NoDataRemark = QStringLiteral("No Data Available");

constexpr int32_t Red = 255;
constexpr int32_t Black = 0;

bool IsMarkerDate(TDateTime t);

// The common start on construction (create, visible, open the template, hourglass) and the
// common end: finish() when the report's rows are written, so that a failing release reaches the
// caller; the destructor on the error paths, where a failing release is shown by itself.
class Session {
public:
    explicit Session(const ReportContext& context);
    ~Session();
    void finish();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Range(address) -> select, Selection -> value.
    void write(const QString& address, const QString& text);
    void write(const QString& address, int32_t number);
    void select(const QString& address);
    // Selection -> font -> Color.
    void setColor(int32_t color);

    void writeRow(int32_t row, char column, const QString& text);
    void writeRow(int32_t row, char column, int32_t number);

private:
    std::unique_ptr<SpreadsheetApplication> m_app;
    std::optional<WaitCursor> m_cursor;
};

QString Address(char column, int32_t row);

} // namespace ReportSheet
