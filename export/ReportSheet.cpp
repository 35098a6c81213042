#include "export/ReportSheet.h"

#include "data/DataUnit.h"
#include "ui/OmbrexError.h"
#include "ui/Paths.h"
#include "ui/Prompts.h"

QString ReportTemplatePath() {
    return ProgramFolder() + QStringLiteral("Hyetra Report.xltx");
}

namespace ReportSheet {

bool IsMarkerDate(TDateTime t) {
    return t == DataUnit::PowerResetDate || t == DataUnit::SequenceErrorDate;
}

Session::Session(const ReportContext& context) {
    if (!context.create)
        throw OmbrexError(QStringLiteral("No spreadsheet application is set up"));
    m_app = context.create();
    if (!m_app)
        throw OmbrexError(QStringLiteral("The spreadsheet application could not be started"));
    m_app->visible(true);
    m_app->Workbooks()->open(context.templatePath.isEmpty() ? ReportTemplatePath()
                                                            : context.templatePath);
    m_cursor.emplace();
}

Session::~Session() {
    m_cursor.reset();
    if (!m_app)
        return;
    try {
        m_app->release();
    } catch (const std::exception& e) {
        Prompts::ShowGeneralError(e);
    }
    m_app.reset();
}

void Session::finish() {
    m_cursor.reset();
    const std::unique_ptr<SpreadsheetApplication> app = std::move(m_app);
    app->release();
}

void Session::select(const QString& address) {
    m_app->Range(address)->select();
}

void Session::write(const QString& address, const QString& text) {
    select(address);
    m_app->Selection()->value(text);
}

void Session::write(const QString& address, int32_t number) {
    select(address);
    m_app->Selection()->value(number);
}

void Session::setColor(int32_t color) {
    m_app->Selection()->font()->Color(color);
}

void Session::writeRow(int32_t row, char column, const QString& text) {
    write(Address(column, row), text);
}

void Session::writeRow(int32_t row, char column, int32_t number) {
    write(Address(column, row), number);
}

QString Address(char column, int32_t row) {
    return QLatin1Char(column) + QString::number(row);
}

} // namespace ReportSheet
