#include "export/XlsxWorkbook.h"

#include "ui/OmbrexError.h"

#include <QHash>
#include <charconv>
#include <map>
#include <pugixml.hpp>
#include <string>
#include <vector>
#include <zip.h>

namespace {

constexpr const char* TemplateMain =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml";
constexpr const char* WorkbookMain =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
constexpr const char* SharedStringsType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml";
constexpr const char* SharedStringsRel =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings";
constexpr const char* MainNamespace = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr const char* RowsMarker = "ombrex-rows";

// How a typed value changes the number format of its cell.
enum Format : uint8_t { KeepFormat, TwoDecimals, DateOnly, DateTime12, DateTime24 };

struct Cell {
    double number = 0;
    uint32_t string = 0;
    uint32_t base = 0; // the style the cell had before it was written
    int16_t font = -1; // index into the font colours, -1: the base style's font
    uint16_t column = 0;
    TypedValue::Kind kind = TypedValue::Kind::Empty;
    Format format = KeepFormat;
};

struct Entry {
    std::string name;
    std::string data;
};

[[noreturn]] void Fail(const QString& text) {
    throw OmbrexError(XlsxWorkbook::ErrorCode, text);
}

std::string Serialize(const pugi::xml_node& node, bool declaration) {
    struct Writer final : pugi::xml_writer {
        std::string out;
        void write(const void* data, size_t size) override {
            out.append(static_cast<const char*>(data), size);
        }
    } writer;
    if (declaration)
        writer.out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return writer.out;
}

// Text content escaped for XML; characters XML cannot carry are left out.
void AppendEscaped(std::string& out, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
                break;
            out += char(c);
        }
    }
}

void AppendNumber(std::string& out, double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendInt(std::string& out, uint32_t value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendColumn(std::string& out, int32_t column) {
    char letters[4];
    int n = 0;
    while (column > 0) {
        letters[n++] = char('A' + (column - 1) % 26);
        column = (column - 1) / 26;
    }
    while (n > 0)
        out += letters[--n];
}

// "C12" -> column 3; 0 when the reference has no letters.
int32_t ColumnOf(const char* ref) {
    int32_t column = 0;
    for (; *ref; ++ref) {
        const char c = *ref;
        if (c >= 'A' && c <= 'Z')
            column = column * 26 + (c - 'A' + 1);
        else if (c >= 'a' && c <= 'z')
            column = column * 26 + (c - 'a' + 1);
        else
            break;
    }
    return column;
}

// A part's folder: "xl/workbook.xml" -> "xl/".
std::string FolderOf(const std::string& part) {
    const auto cut = part.rfind('/');
    return cut == std::string::npos ? std::string() : part.substr(0, cut + 1);
}

std::string ResolveTarget(const std::string& folder, const std::string& target) {
    if (!target.empty() && target.front() == '/')
        return target.substr(1);
    std::string path = folder + target;
    // Fold "dir/../" away.
    for (auto up = path.find("/../"); up != std::string::npos; up = path.find("/../")) {
        const auto start = path.rfind('/', up == 0 ? 0 : up - 1);
        path.erase(start == std::string::npos ? 0 : start + 1,
                   up + 4 - (start == std::string::npos ? 0 : start + 1));
    }
    return path;
}

bool EndsWith(const std::string& s, const char* tail) {
    const std::string t(tail);
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

const char* FormatCode(Format f) {
    switch (f) {
    case DateOnly:
        return "mm/dd/yy";
    case DateTime12:
        return "mm/dd/yy h:mm:ss AM/PM";
    case DateTime24:
        return "mm/dd/yy hh:mm:ss";
    default:
        return nullptr;
    }
}

} // namespace

struct XlsxWorkbook::Impl {
    QString templatePath;
    bool loaded = false;
    std::vector<Entry> entries;
    int sheetEntry = -1, stylesEntry = -1, stringsEntry = -1, typesEntry = -1,
        workbookRelsEntry = -1;
    std::string stringsPart;

    pugi::xml_document sheet, styles, strings, types, workbookRels;
    std::map<int32_t, pugi::xml_node> templateRows;
    int32_t lastTemplateRow = 0;
    struct ColumnStyle {
        int32_t min, max;
        uint32_t style;
    };
    std::vector<ColumnStyle> columnStyles;

    std::vector<std::vector<Cell>> rows; // index row - 1
    int32_t lastRow = 0;
    int32_t lastColumn = 0;
    std::vector<uint32_t> fontColors;

    uint32_t templateStringCount = 0;
    std::vector<QString> newStrings;
    QHash<QString, uint32_t> stringIndex;

    // Resolved at save time.
    std::map<uint64_t, uint32_t> xfCache;
    std::map<uint64_t, uint32_t> fontCache;
    std::vector<pugi::xml_node> baseXfs;

    [[noreturn]] void broken(const QString& why) const {
        Fail(
            QStringLiteral("The report template \"%1\" cannot be used: %2").arg(templatePath, why));
    }

    int find(const std::string& name) const {
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i].name == name)
                return int(i);
        return -1;
    }

    void parse(pugi::xml_document& doc, int entry) {
        const auto result = doc.load_buffer(entries[entry].data.data(), entries[entry].data.size(),
                                            pugi::parse_default, pugi::encoding_utf8);
        if (!result)
            broken(QStringLiteral("part %1 is not well-formed XML (%2)")
                       .arg(QString::fromStdString(entries[entry].name),
                            QString::fromUtf8(result.description())));
    }

    // A template's parts are a few kilobytes. The size a package declares is not trusted: it is
    // read in pieces, and a part past the limit makes the package broken, not the memory full.
    static constexpr size_t MaxPartSize = 64u << 20;

    static QString readEntry(zip_file_t* file, std::string& data) {
        char piece[65536];
        for (;;) {
            const zip_int64_t got = zip_fread(file, piece, sizeof piece);
            if (got < 0)
                return QString::fromLocal8Bit(zip_file_strerror(file));
            if (got == 0)
                return {};
            if (data.size() + size_t(got) > MaxPartSize)
                return QStringLiteral("a part is larger than %1 MB").arg(MaxPartSize >> 20);
            data.append(piece, size_t(got));
        }
    }

    void readPackage() {
        int error = 0;
        zip_t* zip = zip_open(templatePath.toLocal8Bit().constData(), ZIP_RDONLY, &error);
        if (!zip) {
            zip_error_t ze;
            zip_error_init_with_code(&ze, error);
            const QString why = QString::fromLocal8Bit(zip_error_strerror(&ze));
            zip_error_fini(&ze);
            Fail(QStringLiteral("The report template \"%1\" cannot be opened: %2")
                     .arg(templatePath, why));
        }
        const zip_int64_t count = zip_get_num_entries(zip, 0);
        for (zip_int64_t i = 0; i < count; ++i) {
            zip_stat_t st;
            zip_stat_init(&st);
            zip_file_t* file = nullptr;
            if (zip_stat_index(zip, zip_uint64_t(i), 0, &st) == 0)
                file = zip_fopen_index(zip, zip_uint64_t(i), 0);
            Entry entry;
            QString why;
            if (file) {
                entry.name = st.name;
                why = readEntry(file, entry.data);
                zip_fclose(file);
            } else {
                why = QString::fromLocal8Bit(zip_strerror(zip));
            }
            if (!why.isEmpty()) {
                zip_discard(zip);
                broken(why);
            }
            if (!entry.name.empty() && entry.name.back() != '/')
                entries.push_back(std::move(entry));
        }
        zip_discard(zip);
    }

    void locateParts() {
        typesEntry = find("[Content_Types].xml");
        if (typesEntry < 0)
            broken(QStringLiteral("it has no [Content_Types].xml"));
        parse(types, typesEntry);
        std::string workbookPart;
        for (auto o : types.child("Types").children("Override")) {
            const std::string type = o.attribute("ContentType").value();
            if (type == TemplateMain || type == WorkbookMain) {
                workbookPart = ResolveTarget("", o.attribute("PartName").value());
                o.attribute("ContentType").set_value(WorkbookMain);
            }
        }
        const int workbookEntry = workbookPart.empty() ? -1 : find(workbookPart);
        if (workbookEntry < 0)
            broken(QStringLiteral("it holds no workbook"));
        pugi::xml_document workbook;
        parse(workbook, workbookEntry);
        const std::string folder = FolderOf(workbookPart);
        const std::string relsPart =
            folder + "_rels/" + workbookPart.substr(folder.size()) + ".rels";
        workbookRelsEntry = find(relsPart);
        if (workbookRelsEntry < 0)
            broken(QStringLiteral("it has no %1").arg(QString::fromStdString(relsPart)));
        parse(workbookRels, workbookRelsEntry);

        std::string sheetId;
        const auto firstSheet = workbook.child("workbook").child("sheets").child("sheet");
        for (auto a : firstSheet.attributes()) {
            const std::string name = a.name();
            if (name.size() > 3 && name.compare(name.size() - 3, 3, ":id") == 0)
                sheetId = a.value();
        }
        if (sheetId.empty())
            broken(QStringLiteral("its workbook has no sheet"));
        std::string sheetPart, stylesPart;
        for (auto r : workbookRels.child("Relationships").children("Relationship")) {
            const std::string type = r.attribute("Type").value();
            const std::string target = ResolveTarget(folder, r.attribute("Target").value());
            if (sheetId == r.attribute("Id").value())
                sheetPart = target;
            else if (EndsWith(type, "/styles"))
                stylesPart = target;
            else if (EndsWith(type, "/sharedStrings"))
                stringsPart = target;
        }
        sheetEntry = find(sheetPart);
        stylesEntry = find(stylesPart);
        if (sheetEntry < 0)
            broken(QStringLiteral("its first sheet is missing"));
        if (stylesEntry < 0)
            broken(QStringLiteral("it has no styles"));
        parse(sheet, sheetEntry);
        parse(styles, stylesEntry);
        if (!stringsPart.empty()) {
            stringsEntry = find(stringsPart);
            if (stringsEntry < 0)
                broken(QStringLiteral("its shared strings are missing"));
            parse(strings, stringsEntry);
        } else {
            stringsPart = folder + "sharedStrings.xml";
        }
    }

    void readSheet() {
        auto worksheet = sheet.child("worksheet");
        auto data = worksheet.child("sheetData");
        if (!data)
            broken(QStringLiteral("its first sheet has no sheetData"));
        int32_t previous = 0;
        for (auto row : data.children("row")) {
            int32_t r = row.attribute("r").as_int(previous + 1);
            if (r <= previous || r > LastRow)
                broken(QStringLiteral("its first sheet's rows are out of order"));
            templateRows[r] = row;
            previous = r;
            for (auto c : row.children("c"))
                lastColumn = std::max(lastColumn, ColumnOf(c.attribute("r").value()));
        }
        lastTemplateRow = previous;
        lastRow = previous;
        for (auto col : worksheet.child("cols").children("col"))
            if (col.attribute("style"))
                columnStyles.push_back({col.attribute("min").as_int(),
                                        col.attribute("max").as_int(),
                                        col.attribute("style").as_uint()});
        data.append_child(pugi::node_comment).set_value(RowsMarker);
    }

    void readStyles() {
        auto xfs = styles.child("styleSheet").child("cellXfs");
        for (auto xf : xfs.children("xf"))
            baseXfs.push_back(xf);
        if (baseXfs.empty() || !styles.child("styleSheet").child("fonts").child("font"))
            broken(QStringLiteral("its styles have no cell format"));
    }

    void readStrings() {
        for (auto si : strings.child("sst").children("si")) {
            const auto t = si.child("t");
            if (t && !t.next_sibling())
                stringIndex.insert(QString::fromUtf8(t.text().get()), templateStringCount);
            ++templateStringCount;
        }
    }

    uint32_t baseStyle(int32_t row, int32_t column) const {
        const auto it = templateRows.find(row);
        if (it != templateRows.end()) {
            for (auto c : it->second.children("c"))
                if (ColumnOf(c.attribute("r").value()) == column)
                    return c.attribute("s").as_uint();
            if (it->second.attribute("customFormat").as_bool())
                return it->second.attribute("s").as_uint();
        }
        for (const auto& cs : columnStyles)
            if (column >= cs.min && column <= cs.max)
                return cs.style;
        return 0;
    }

    Cell& cell(int32_t row, int32_t column) {
        if (row < 1 || row > LastRow || column < 1 || column > LastColumn)
            Fail(QStringLiteral("Cell %1%2 lies outside the sheet")
                     .arg(ColumnLetters(column))
                     .arg(row));
        if (size_t(row) > rows.size())
            rows.resize(std::max<size_t>(size_t(row), rows.size() * 3 / 2));
        auto& cells = rows[size_t(row) - 1];
        for (auto& c : cells)
            if (c.column == column)
                return c;
        Cell fresh;
        fresh.column = uint16_t(column);
        fresh.base = baseStyle(row, column);
        auto at = cells.begin();
        while (at != cells.end() && at->column < column)
            ++at;
        lastRow = std::max(lastRow, row);
        lastColumn = std::max(lastColumn, column);
        return *cells.insert(at, fresh);
    }

    uint32_t stringId(const QString& text) {
        const auto it = stringIndex.constFind(text);
        if (it != stringIndex.constEnd())
            return it.value();
        const uint32_t id = templateStringCount + uint32_t(newStrings.size());
        newStrings.push_back(text);
        stringIndex.insert(text, id);
        return id;
    }

    // Style resolution, run while saving.
    uint32_t numFmtId(Format f) {
        if (f == TwoDecimals)
            return 2;
        const char* code = FormatCode(f);
        auto sheetStyles = styles.child("styleSheet");
        auto numFmts = sheetStyles.child("numFmts");
        if (!numFmts)
            numFmts = sheetStyles.prepend_child("numFmts");
        uint32_t next = 164;
        for (auto n : numFmts.children("numFmt")) {
            if (std::string(n.attribute("formatCode").value()) == code)
                return n.attribute("numFmtId").as_uint();
            next = std::max(next, n.attribute("numFmtId").as_uint() + 1);
        }
        auto n = numFmts.append_child("numFmt");
        n.append_attribute("numFmtId").set_value(next);
        n.append_attribute("formatCode").set_value(code);
        numFmts.remove_attribute("count");
        numFmts.append_attribute("count").set_value(uint32_t(
            std::distance(numFmts.children("numFmt").begin(), numFmts.children("numFmt").end())));
        return next;
    }

    uint32_t fontId(uint32_t baseFont, uint32_t rgb) {
        const uint64_t key = (uint64_t(baseFont) << 32) | rgb;
        const auto it = fontCache.find(key);
        if (it != fontCache.end())
            return it->second;
        auto fonts = styles.child("styleSheet").child("fonts");
        std::vector<pugi::xml_node> all;
        for (auto f : fonts.children("font"))
            all.push_back(f);
        const pugi::xml_node base = baseFont < all.size() ? all[baseFont] : all.front();
        auto font = fonts.append_copy(base);
        font.remove_child("color");
        pugi::xml_node before;
        for (const char* later : {"name", "family", "charset", "scheme"})
            if (!before)
                before = font.child(later);
        auto color =
            before ? font.insert_child_before("color", before) : font.append_child("color");
        char argb[9];
        std::snprintf(argb, sizeof argb, "FF%06X", unsigned(rgb & 0xFFFFFF));
        color.append_attribute("rgb").set_value(argb);
        const uint32_t id = uint32_t(all.size());
        fonts.remove_attribute("count");
        fonts.append_attribute("count").set_value(id + 1);
        fontCache.emplace(key, id);
        return id;
    }

    uint32_t xfId(const Cell& c) {
        if (c.format == KeepFormat && c.font < 0)
            return c.base;
        const uint64_t key =
            (uint64_t(c.base) << 24) | (uint64_t(c.format) << 16) | uint64_t(uint16_t(c.font));
        const auto it = xfCache.find(key);
        if (it != xfCache.end())
            return it->second;
        auto xfs = styles.child("styleSheet").child("cellXfs");
        const pugi::xml_node base = c.base < baseXfs.size() ? baseXfs[c.base] : baseXfs.front();
        auto xf = xfs.append_copy(base);
        if (c.format != KeepFormat) {
            xf.remove_attribute("numFmtId");
            xf.remove_attribute("applyNumberFormat");
            xf.prepend_attribute("numFmtId").set_value(numFmtId(c.format));
            xf.append_attribute("applyNumberFormat").set_value(1);
        }
        if (c.font >= 0) {
            const uint32_t f =
                fontId(base.attribute("fontId").as_uint(), fontColors[size_t(c.font)]);
            xf.remove_attribute("fontId");
            xf.remove_attribute("applyFont");
            xf.append_attribute("fontId").set_value(f);
            xf.append_attribute("applyFont").set_value(1);
        }
        const uint32_t id =
            uint32_t(std::distance(xfs.children("xf").begin(), xfs.children("xf").end())) - 1;
        xfs.remove_attribute("count");
        xfs.append_attribute("count").set_value(id + 1);
        xfCache.emplace(key, id);
        return id;
    }

    void appendCell(std::string& out, int32_t row, const Cell& c) {
        out += "<c r=\"";
        AppendColumn(out, c.column);
        AppendInt(out, uint32_t(row));
        out += '"';
        const uint32_t s = xfId(c);
        if (s != 0) {
            out += " s=\"";
            AppendInt(out, s);
            out += '"';
        }
        switch (c.kind) {
        case TypedValue::Kind::Empty:
            out += "/>";
            return;
        case TypedValue::Kind::Text:
            out += " t=\"s\"><v>";
            AppendInt(out, c.string);
            break;
        default:
            out += "><v>";
            AppendNumber(out, c.number);
        }
        out += "</v></c>";
    }

    // A written cell inside the template's own rows: edited in the sheet's tree.
    void mergeIntoTemplate(int32_t row, const std::vector<Cell>& cells) {
        auto data = sheet.child("worksheet").child("sheetData");
        auto rowNode = templateRows.count(row) ? templateRows[row] : pugi::xml_node();
        if (!rowNode) {
            auto next = templateRows.upper_bound(row);
            rowNode = next == templateRows.end()
                          ? data.insert_child_before("row", data.last_child())
                          : data.insert_child_before("row", next->second);
            rowNode.append_attribute("r").set_value(row);
            templateRows[row] = rowNode;
        }
        for (const auto& c : cells) {
            pugi::xml_node node, before;
            for (auto existing : rowNode.children("c")) {
                const int32_t col = ColumnOf(existing.attribute("r").value());
                if (col == c.column)
                    node = existing;
                if (col > c.column && !before)
                    before = existing;
            }
            if (node) {
                const std::string ref = node.attribute("r").value();
                rowNode.remove_child(node);
                node =
                    before ? rowNode.insert_child_before("c", before) : rowNode.append_child("c");
                node.append_attribute("r").set_value(ref.c_str());
            } else {
                node =
                    before ? rowNode.insert_child_before("c", before) : rowNode.append_child("c");
                std::string ref;
                AppendColumn(ref, c.column);
                AppendInt(ref, uint32_t(row));
                node.append_attribute("r").set_value(ref.c_str());
            }
            if (const uint32_t s = xfId(c))
                node.append_attribute("s").set_value(s);
            if (c.kind == TypedValue::Kind::Empty)
                continue;
            std::string v;
            if (c.kind == TypedValue::Kind::Text) {
                node.append_attribute("t").set_value("s");
                AppendInt(v, c.string);
            } else {
                AppendNumber(v, c.number);
            }
            node.append_child("v").text().set(v.c_str());
        }
    }

    std::string sheetXml() {
        std::string rowsXml;
        rowsXml.reserve(size_t(std::max(0, lastRow - lastTemplateRow)) * 96);
        for (int32_t r = 1; r <= lastRow && size_t(r) <= rows.size(); ++r) {
            const auto& cells = rows[size_t(r) - 1];
            if (cells.empty())
                continue;
            if (r <= lastTemplateRow) {
                mergeIntoTemplate(r, cells);
                continue;
            }
            rowsXml += "<row r=\"";
            AppendInt(rowsXml, uint32_t(r));
            rowsXml += "\">";
            for (const auto& c : cells)
                appendCell(rowsXml, r, c);
            rowsXml += "</row>";
        }
        auto worksheet = sheet.child("worksheet");
        if (lastRow > 0 && lastColumn > 0) {
            auto dimension = worksheet.child("dimension");
            if (!dimension)
                dimension = worksheet.insert_child_after("dimension", worksheet.child("sheetPr"));
            if (!dimension.parent())
                dimension = worksheet.prepend_child("dimension");
            std::string ref = "A1:";
            AppendColumn(ref, lastColumn);
            AppendInt(ref, uint32_t(lastRow));
            dimension.remove_attribute("ref");
            dimension.append_attribute("ref").set_value(ref.c_str());
        }
        std::string xml = Serialize(sheet, true);
        const std::string marker = std::string("<!--") + RowsMarker + "-->";
        const auto at = xml.find(marker);
        xml.replace(at, marker.size(), rowsXml);
        return xml;
    }

    std::string stringsXml() {
        std::string out =
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<sst xmlns=\"";
        out += MainNamespace;
        out += "\" uniqueCount=\"";
        AppendInt(out, templateStringCount + uint32_t(newStrings.size()));
        out += "\">";
        for (auto si : strings.child("sst").children("si"))
            out += Serialize(si, false);
        for (const auto& s : newStrings) {
            out += "<si><t xml:space=\"preserve\">";
            AppendEscaped(out, s);
            out += "</t></si>";
        }
        out += "</sst>";
        return out;
    }

    void addStringsPart() {
        auto typesRoot = types.child("Types");
        auto o = typesRoot.append_child("Override");
        o.append_attribute("PartName").set_value(("/" + stringsPart).c_str());
        o.append_attribute("ContentType").set_value(SharedStringsType);
        auto relsRoot = workbookRels.child("Relationships");
        int n = 1;
        std::string id;
        for (bool taken = true; taken; ++n) {
            id = "rId" + std::to_string(n);
            taken = false;
            for (auto r : relsRoot.children("Relationship"))
                taken = taken || id == r.attribute("Id").value();
        }
        auto r = relsRoot.append_child("Relationship");
        r.append_attribute("Id").set_value(id.c_str());
        r.append_attribute("Type").set_value(SharedStringsRel);
        r.append_attribute("Target").set_value(
            stringsPart.substr(FolderOf(stringsPart).size()).c_str());
        entries.push_back({stringsPart, {}});
        stringsEntry = int(entries.size()) - 1;
    }
};

XlsxWorkbook::XlsxWorkbook() : d(std::make_unique<Impl>()) {}
XlsxWorkbook::~XlsxWorkbook() = default;

void XlsxWorkbook::load(const QString& templatePath) {
    auto fresh = std::make_unique<Impl>();
    fresh->templatePath = templatePath;
    fresh->readPackage();
    fresh->locateParts();
    fresh->readSheet();
    fresh->readStyles();
    fresh->readStrings();
    fresh->loaded = true;
    d = std::move(fresh);
}

void XlsxWorkbook::setValue(int32_t row, int32_t column, const TypedValue& value) {
    if (!d->loaded)
        Fail(QStringLiteral("No workbook is open"));
    Cell& c = d->cell(row, column);
    c.kind = value.kind;
    c.number = value.number;
    switch (value.kind) {
    case TypedValue::Kind::Text:
        c.string = d->stringId(value.text);
        break;
    case TypedValue::Kind::Number:
        if (value.decimals == 2)
            c.format = TwoDecimals;
        break;
    case TypedValue::Kind::Date:
        c.format = DateOnly;
        break;
    case TypedValue::Kind::DateTime:
        c.format = value.twelveHour ? DateTime12 : DateTime24;
        break;
    case TypedValue::Kind::Empty:
        break;
    }
}

void XlsxWorkbook::setFontColor(int32_t row, int32_t column, uint32_t rgb) {
    if (!d->loaded)
        Fail(QStringLiteral("No workbook is open"));
    Cell& c = d->cell(row, column);
    rgb &= 0xFFFFFF;
    for (size_t i = 0; i < d->fontColors.size(); ++i)
        if (d->fontColors[i] == rgb) {
            c.font = int16_t(i);
            return;
        }
    if (d->fontColors.size() >= 0x7FFF)
        Fail(QStringLiteral("Too many different font colours"));
    d->fontColors.push_back(rgb);
    c.font = int16_t(d->fontColors.size() - 1);
}

int32_t XlsxWorkbook::lastWrittenRow() const {
    return d->lastRow;
}

void XlsxWorkbook::save(const QString& path) {
    if (!d->loaded)
        Fail(QStringLiteral("No workbook is open"));
    const std::string sheet = d->sheetXml();
    if (d->stringsEntry < 0 && !d->newStrings.empty())
        d->addStringsPart();
    if (d->stringsEntry >= 0)
        d->entries[size_t(d->stringsEntry)].data = d->stringsXml();
    d->entries[size_t(d->sheetEntry)].data = sheet;
    d->entries[size_t(d->stylesEntry)].data = Serialize(d->styles, true);
    d->entries[size_t(d->typesEntry)].data = Serialize(d->types, true);
    d->entries[size_t(d->workbookRelsEntry)].data = Serialize(d->workbookRels, true);

    int error = 0;
    zip_t* zip = zip_open(path.toLocal8Bit().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip) {
        zip_error_t reason;
        zip_error_init_with_code(&reason, error);
        const QString why = QString::fromLocal8Bit(zip_error_strerror(&reason));
        zip_error_fini(&reason);
        Fail(QStringLiteral("The workbook \"%1\" cannot be written: %2").arg(path, why));
    }
    auto failed = [&]() {
        const QString why = QString::fromLocal8Bit(zip_strerror(zip));
        zip_discard(zip);
        Fail(QStringLiteral("The workbook \"%1\" cannot be written: %2").arg(path, why));
    };
    for (const auto& e : d->entries) {
        zip_source_t* source = zip_source_buffer(zip, e.data.data(), e.data.size(), 0);
        if (!source)
            failed();
        const zip_int64_t index = zip_file_add(zip, e.name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            failed();
        }
        zip_set_file_compression(zip, zip_uint64_t(index), ZIP_CM_DEFLATE, 1);
    }
    if (zip_close(zip) != 0)
        failed();
}

bool ParseCellAddress(const QString& address, int32_t& row, int32_t& column) {
    row = column = 0;
    qsizetype i = 0;
    for (; i < address.size() && address[i].isLetter() && address[i].unicode() < 128; ++i) {
        column = column * 26 + (address[i].toUpper().unicode() - 'A' + 1);
        if (column > XlsxWorkbook::LastColumn)
            return false;
    }
    if (i == 0 || i == address.size() || address[i] == QLatin1Char('0'))
        return false;
    for (; i < address.size(); ++i) {
        const QChar c = address[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        row = row * 10 + (c.unicode() - '0');
        if (row > XlsxWorkbook::LastRow)
            return false;
    }
    return true;
}

QString ColumnLetters(int32_t column) {
    std::string out;
    AppendColumn(out, column);
    return QString::fromStdString(out);
}
