#include "export/XlsxSpreadsheet.h"

#include "ui/DesktopOpener.h"
#include "ui/OmbrexError.h"
#include "ui/Prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace {

[[noreturn]] void Fail(const QString& text) {
    throw OmbrexError(XlsxWorkbook::ErrorCode, text);
}

// Color is 0x00BBGGRR, as the automation server takes it.
uint32_t ColorToRgb(int32_t color) {
    const auto c = uint32_t(color);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// The reason a folder could not be made: the nearest part of its path that exists.
QString WhyNoFolder(const QString& folder) {
    QFileInfo part(folder);
    while (!part.exists() && part.absoluteFilePath() != part.absolutePath())
        part = QFileInfo(part.absolutePath());
    if (!part.isDir())
        return QStringLiteral("\"%1\" is a file, not a folder").arg(part.absoluteFilePath());
    if (!part.isWritable())
        return QStringLiteral("no permission to write in \"%1\"").arg(part.absoluteFilePath());
    return QStringLiteral("the system refused");
}

} // namespace

class XlsxFont final : public SpreadsheetFont {
public:
    XlsxFont(XlsxSpreadsheet& app, int32_t row, int32_t column)
        : m_app(app), m_row(row), m_column(column) {}
    void Color(int32_t value) override {
        m_app.workbook().setFontColor(m_row, m_column, ColorToRgb(value));
    }

private:
    XlsxSpreadsheet& m_app;
    int32_t m_row, m_column;
};

class XlsxRange final : public SpreadsheetRange {
public:
    XlsxRange(XlsxSpreadsheet& app, int32_t row, int32_t column)
        : m_app(app), m_row(row), m_column(column) {}
    void select() override {
        m_app.m_selectedRow = m_row;
        m_app.m_selectedColumn = m_column;
    }
    void value(const QString& text) override {
        m_app.workbook().setValue(m_row, m_column, InterpretTypedInput(text));
    }
    void value(int32_t number) override {
        TypedValue v;
        v.kind = TypedValue::Kind::Number;
        v.number = number;
        m_app.workbook().setValue(m_row, m_column, v);
    }
    std::unique_ptr<SpreadsheetFont> font() override {
        return std::make_unique<XlsxFont>(m_app, m_row, m_column);
    }

private:
    XlsxSpreadsheet& m_app;
    int32_t m_row, m_column;
};

class XlsxWorkbooks final : public SpreadsheetWorkbooks {
public:
    explicit XlsxWorkbooks(XlsxSpreadsheet& app) : m_app(app) {}
    void open(const QString& path) override {
        auto workbook = std::make_unique<XlsxWorkbook>();
        workbook->load(path);
        m_app.m_workbook = std::move(workbook);
        m_app.m_saved = false;
        m_app.m_selectedRow = m_app.m_selectedColumn = 1;
    }

private:
    XlsxSpreadsheet& m_app;
};

XlsxSpreadsheet::XlsxSpreadsheet() = default;

XlsxSpreadsheet::~XlsxSpreadsheet() {
    if (!m_workbook || m_saved)
        return;
    // The release has no caller to report to: the spreadsheet side shows its own failure.
    try {
        saveReport();
    } catch (const std::exception& e) {
        Prompts::ShowGeneralError(e);
    }
}

SpreadsheetFactory XlsxSpreadsheet::Factory() {
    return [] { return std::unique_ptr<SpreadsheetApplication>(new XlsxSpreadsheet); };
}

void XlsxSpreadsheet::release() {
    if (m_workbook && !m_saved)
        saveReport();
}

void XlsxSpreadsheet::visible(bool value) {
    m_visible = value;
}

std::unique_ptr<SpreadsheetWorkbooks> XlsxSpreadsheet::Workbooks() {
    return std::make_unique<XlsxWorkbooks>(*this);
}

std::unique_ptr<SpreadsheetRange> XlsxSpreadsheet::Range(const QString& address) {
    int32_t row = 0, column = 0;
    if (!m_workbook)
        Fail(QStringLiteral("Range(\"%1\"): no workbook is open").arg(address));
    if (!ParseCellAddress(address, row, column))
        Fail(QStringLiteral("Range(\"%1\"): there is no such cell; the sheet ends at row %2")
                 .arg(address)
                 .arg(XlsxWorkbook::LastRow));
    return std::make_unique<XlsxRange>(*this, row, column);
}

std::unique_ptr<SpreadsheetRange> XlsxSpreadsheet::Selection() {
    if (!m_workbook)
        Fail(QStringLiteral("Selection: no workbook is open"));
    return std::make_unique<XlsxRange>(*this, m_selectedRow, m_selectedColumn);
}

XlsxWorkbook& XlsxSpreadsheet::workbook() {
    if (!m_workbook)
        Fail(QStringLiteral("No workbook is open"));
    return *m_workbook;
}

QString XlsxSpreadsheet::saveReport() {
    XlsxWorkbook& book = workbook();
    m_saved = true;
    const QString folder = ReportsFolder();
    if (!QDir().mkpath(folder))
        Fail(QStringLiteral("The reports folder \"%1\" cannot be created: %2")
                 .arg(folder, WhyNoFolder(folder)));
    const QString path = ReserveReportFile(folder, QDateTime::currentDateTime());
    try {
        book.save(path);
    } catch (...) {
        QFile::remove(path);
        throw;
    }
    if (m_visible && !DesktopOpener::Open(QUrl::fromLocalFile(path).toString()))
        Fail(QStringLiteral("The report \"%1\" was written, but the desktop could not open it: no "
                            "spreadsheet program could be started for it. The file stays where "
                            "it is.")
                 .arg(path));
    return path;
}

QString ReportsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Pluvatec/Ombrex2/Reports");
}

QString ReserveReportFile(const QString& folder, const QDateTime& when) {
    const QString stem = folder + QStringLiteral("/Hyetra Report ") +
                         when.toString(QStringLiteral("yyyy-MM-dd HHmm"));
    for (int n = 1; n < 10000; ++n) {
        const QString path =
            n == 1 ? stem + QStringLiteral(".xlsx") : stem + QStringLiteral(" (%1).xlsx").arg(n);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return path;
        if (!file.exists())
            Fail(QStringLiteral("The report \"%1\" cannot be created: %2")
                     .arg(path, file.errorString()));
    }
    Fail(QStringLiteral("No free report name in \"%1\"").arg(folder));
}
