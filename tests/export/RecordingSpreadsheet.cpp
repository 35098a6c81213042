#include "tests/export/RecordingSpreadsheet.h"

#include "ui/OmbrexError.h"

#include <QCursor>
#include <QGuiApplication>

namespace {

bool HourglassShown() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return true;
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::WaitCursor;
}

int RowOf(const QString& address) {
    qsizetype i = 0;
    while (i < address.size() && address[i].isLetter())
        ++i;
    return address.mid(i).toInt();
}

class Font final : public SpreadsheetFont {
public:
    Font(RecordingSpreadsheet& r, QString address) : m_r(r), m_address(std::move(address)) {}
    void Color(int32_t value) override {
        m_r.log(QStringLiteral("Color=%1").arg(value));
        if (m_r.keepCells)
            m_r.cells[m_address].color = value;
    }

private:
    RecordingSpreadsheet& m_r;
    QString m_address;
};

class Range final : public SpreadsheetRange {
public:
    Range(RecordingSpreadsheet& r, QString address) : m_r(r), m_address(std::move(address)) {}
    void select() override {
        m_r.log(QStringLiteral("select"));
        m_r.selected = m_address;
    }
    void value(const QString& text) override {
        m_r.log(QStringLiteral("value='%1'").arg(text));
        store(text);
    }
    void value(int32_t number) override {
        m_r.log(QStringLiteral("value=%1").arg(number));
        store(QStringLiteral("int %1").arg(number));
    }
    std::unique_ptr<SpreadsheetFont> font() override {
        m_r.log(QStringLiteral("font"));
        return std::make_unique<Font>(m_r, m_address);
    }

private:
    void store(const QString& v) {
        ++m_r.valueWrites;
        m_r.highestRow = std::max(m_r.highestRow, RowOf(m_address));
        if (!HourglassShown())
            m_r.cursorAtEveryWrite = false;
        if (m_r.keepCells)
            m_r.cells[m_address].value = v;
    }
    RecordingSpreadsheet& m_r;
    QString m_address;
};

class Workbooks final : public SpreadsheetWorkbooks {
public:
    explicit Workbooks(RecordingSpreadsheet& r) : m_r(r) {}
    void open(const QString& path) override {
        m_r.log(QStringLiteral("open(%1)").arg(path));
        if (!m_r.failOpen.isEmpty())
            throw OmbrexError(-501, m_r.failOpen);
    }

private:
    RecordingSpreadsheet& m_r;
};

class Application final : public SpreadsheetApplication {
public:
    explicit Application(RecordingSpreadsheet& r) : m_r(r) {
        ++m_r.instances;
        m_r.log(QStringLiteral("create"));
    }
    ~Application() override {
        ++m_r.released;
        m_r.log(QStringLiteral("release"));
    }
    void visible(bool value) override {
        m_r.log(QStringLiteral("visible=%1").arg(value ? "true" : "false"));
    }
    std::unique_ptr<SpreadsheetWorkbooks> Workbooks() override {
        m_r.log(QStringLiteral("Workbooks"));
        return std::make_unique<::Workbooks>(m_r);
    }
    std::unique_ptr<SpreadsheetRange> Range(const QString& address) override {
        m_r.log(QStringLiteral("Range(%1)").arg(address));
        if (address == m_r.failAtAddress)
            throw OmbrexError(-501, QStringLiteral("The spreadsheet was closed"));
        if (RowOf(address) > m_r.lastRow)
            throw OmbrexError(-501, QStringLiteral("No such cell: %1").arg(address));
        return std::make_unique<::Range>(m_r, address);
    }
    std::unique_ptr<SpreadsheetRange> Selection() override {
        m_r.log(QStringLiteral("Selection"));
        return std::make_unique<::Range>(m_r, m_r.selected);
    }

private:
    RecordingSpreadsheet& m_r;
};

} // namespace

SpreadsheetFactory RecordingSpreadsheet::factory() {
    return [this]() -> std::unique_ptr<SpreadsheetApplication> {
        if (onCreate)
            onCreate();
        selected = QStringLiteral("a1");
        return std::make_unique<Application>(*this);
    };
}

QStringList RecordingSpreadsheet::row(int r) const {
    QStringList out;
    for (const char* col : {"a", "b", "c"})
        out << cells.value(QLatin1String(col) + QString::number(r)).value;
    return out;
}

int RecordingSpreadsheet::colorOf(const QString& address) const {
    return cells.value(address).color;
}

QStringList RecordingSpreadsheet::rows() const {
    QStringList out;
    int last = 0;
    for (auto it = cells.cbegin(); it != cells.cend(); ++it)
        last = std::max(last, RowOf(it.key()));
    for (int r = 7; r <= last; ++r)
        out << row(r).join(QLatin1Char('|'));
    return out;
}
