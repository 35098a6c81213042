// The spreadsheet on this platform: typed input, cell addresses, the template, and real
// workbooks read back with openpyxl.
#include "data/DataUnit.h"
#include "export/ReportGenerators.h"
#include "export/TypedInput.h"
#include "export/XlsxSpreadsheet.h"
#include "tests/export/ReportTableTest.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestUtil.h"
#include "ui/OmbrexError.h"
#include "ui/Paths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QUrl>
#include <QtEndian>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

using Kind = TypedValue::Kind;

// --- typed input ---

struct TypedCase {
    const char* text;
    const char* locale;
    Kind kind;
    double number;
    int decimals;
};

class TypedInput : public ::testing::TestWithParam<TypedCase> {};

TEST_P(TypedInput, TakesTextAsTypedInput) {
    const TypedCase& c = GetParam();
    const TypedValue v = InterpretTypedInput(QString::fromUtf8(c.text), QLocale(c.locale));
    EXPECT_EQ(int(v.kind), int(c.kind)) << c.text;
    if (c.kind != Kind::Text && c.kind != Kind::Empty) {
        EXPECT_NEAR(v.number, c.number, 1e-9) << c.text;
    }
    if (c.kind == Kind::Number) {
        EXPECT_EQ(v.decimals, c.decimals) << c.text;
    }
    if (c.kind == Kind::Text) {
        EXPECT_EQ(v.text, QString::fromUtf8(c.text));
    }
}

// 03/01/09 is day 39873 of the sheet's calendar.
INSTANTIATE_TEST_SUITE_P(
    Cases, TypedInput,
    ::testing::Values(
        TypedCase{"03/01/09", "en_US", Kind::Date, 39873, 0},
        TypedCase{"01/01/01", "en_US", Kind::Date, 36892, 0},
        TypedCase{"03/01/09 8:05:00 AM", "en_US", Kind::DateTime, 39873 + (8 * 60 + 5) / 1440.0, 0},
        TypedCase{"03/01/09 12:00:30 AM", "en_US", Kind::DateTime, 39873 + 30 / 86400.0, 0},
        TypedCase{"03/01/09 4:15:00 pm", "en_US", Kind::DateTime, 39873 + (16 * 60 + 15) / 1440.0,
                  0},
        TypedCase{"03/01/09 16:15:00", "de_DE", Kind::DateTime, 39873 + (16 * 60 + 15) / 1440.0, 0},
        TypedCase{"0.76", "en_US", Kind::Number, 0.76, 2},
        TypedCase{"1234.50", "en_US", Kind::Number, 1234.5, 2},
        TypedCase{"-3", "en_US", Kind::Number, -3, -1},
        TypedCase{"1.234568E+07", "en_US", Kind::Number, 12345680, -1},
        TypedCase{"0,76", "de_DE", Kind::Number, 0.76, 2},
        TypedCase{"0.76", "de_DE", Kind::Text, 0, 0},
        TypedCase{"13/45/09", "en_US", Kind::Text, 0, 0},
        TypedCase{"03/01/09 13:05:00 PM", "en_US", Kind::Text, 0, 0},
        TypedCase{"03/01/09 8:05", "en_US", Kind::DateTime, 39873 + (8 * 60 + 5) / 1440.0, 0},
        TypedCase{" - Warning! Power Reset.", "en_US", Kind::Text, 0, 0},
        TypedCase{"No Data Available", "en_US", Kind::Text, 0, 0},
        TypedCase{"1E", "en_US", Kind::Text, 0, 0}, TypedCase{"", "en_US", Kind::Empty, 0, 0},
        // The long time of each locale, as the reports write it.
        TypedCase{"03/01/09 16:15:00", "es_ES", Kind::DateTime, 39873 + (16 * 60 + 15) / 1440.0, 0},
        TypedCase{"03/01/09 16.15.00", "fi_FI", Kind::DateTime, 39873 + (16 * 60 + 15) / 1440.0, 0},
        TypedCase{"03/01/09 06.05.09", "da_DK", Kind::DateTime,
                  39873 + (6 * 3600 + 5 * 60 + 9) / 86400.0, 0},
        TypedCase{"03/01/09 16時15分00秒", "ja_JP", Kind::DateTime, 39873 + (16 * 60 + 15) / 1440.0,
                  0},
        TypedCase{"03/01/09 오후 4시 15분 0초", "ko_KR", Kind::DateTime,
                  39873 + (16 * 60 + 15) / 1440.0, 0},
        TypedCase{"03/01/09 16.15.00", "en_US", Kind::Text, 0, 0}));

TEST(CellAddress, ReadsTheSheetsCellsOnly) {
    struct Case {
        const char* address;
        bool ok;
        int row, column;
    };
    for (const Case& c : {Case{"a7", true, 7, 1}, Case{"C65534", true, 65534, 3},
                          Case{"xfd1048576", true, 1048576, 16384}, Case{"a1048577", false, 0, 0},
                          Case{"xfe1", false, 0, 0}, Case{"a0", false, 0, 0},
                          Case{"a07", false, 0, 0}, Case{"7a", false, 0, 0}, Case{"a", false, 0, 0},
                          Case{"", false, 0, 0}, Case{"a7 ", false, 0, 0}}) {
        int32_t row = 0, column = 0;
        EXPECT_EQ(ParseCellAddress(QString::fromLatin1(c.address), row, column), c.ok) << c.address;
        if (c.ok) {
            EXPECT_EQ(row, c.row) << c.address;
            EXPECT_EQ(column, c.column) << c.address;
        }
    }
    EXPECT_EQ(ColumnLetters(28), "AB");
}

// --- real workbooks ---

QJsonObject ReadBack(const QString& path, int rows = 0) {
    QProcess python;
    QStringList args{
        QString::fromLocal8Bit(qgetenv("OMBREX_SOURCE_DIR")) + "/tests/export/read_xlsx.py", path};
    if (rows > 0)
        args << QString::number(rows);
    python.start("/usr/bin/python3", args);
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        ADD_FAILURE() << "openpyxl could not read " << qPrintable(path) << ": "
                      << python.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

QJsonObject CellOf(const QJsonObject& book, int row, int column) {
    return book["rows"].toArray()[row - 1].toArray()[column - 1].toObject();
}

QStringList ReportFiles() {
    return QDir(ReportsFolder()).entryList({"*.xlsx"}, QDir::Files, QDir::Name);
}

QByteArray Digest(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
               : QByteArray();
}

class Workbook : public ReportTableTest {
protected:
    RecordingOpener opener;
};

TEST_F(Workbook, ReportsFolderIsThePerUserDataFolder) {
    EXPECT_EQ(ReportsFolder(), TestFolder() + "/share/Pluvatec/Ombrex2/Reports");
}

TEST_F(Workbook, MissingOrBrokenTemplateNamesTheFile) {
    QFile garbage(TestFolder() + "/Broken Report.xltx");
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("not a package");
    garbage.close();
    for (const QString& path : {TestFolder() + "/Missing Report.xltx", garbage.fileName()}) {
        {
            XlsxSpreadsheet app;
            app.visible(true);
            try {
                app.Workbooks()->open(path);
                ADD_FAILURE() << "expected an error for " << qPrintable(path);
            } catch (const OmbrexError& e) {
                EXPECT_TRUE(e.message().contains(path)) << qPrintable(e.message());
            }
            EXPECT_THROW(app.Range("a7"), OmbrexError);
        }
        EXPECT_TRUE(ReportFiles().isEmpty());
        EXPECT_TRUE(opener.opened.isEmpty());
    }
}

// A copy of the real template with one part replaced (or removed, for an empty text).
QString TemplateWith(const QString& part, const QString& text) {
    const QString path = TestFolder() + "/Changed Report.xltx";
    const QString script =
        QStringLiteral("import sys, zipfile\n"
                       "src, dst, part, text = sys.argv[1:5]\n"
                       "with zipfile.ZipFile(src) as a, zipfile.ZipFile(dst, 'w') as b:\n"
                       "    for n in a.namelist():\n"
                       "        if n != part: b.writestr(n, a.read(n))\n"
                       "    if text: b.writestr(part, text)\n");
    QProcess python;
    python.start("/usr/bin/python3", {"-c", script, ReportTemplatePath(), path, part, text});
    EXPECT_TRUE(python.waitForFinished(30000) && python.exitCode() == 0);
    return path;
}

TEST_F(Workbook, BrokenTemplatePartsAreReported) {
    struct Case {
        const char* part;
        const char* text;
        const char* why;
    };
    for (const Case& c :
         {Case{"xl/worksheets/sheet1.xml", "<worksheet><sheetData>", "not well-formed"},
          Case{"xl/worksheets/sheet1.xml", "", "first sheet is missing"},
          Case{"xl/styles.xml", "", "no styles"},
          Case{"[Content_Types].xml", "", "no [Content_Types].xml"},
          Case{"xl/workbook.xml", "<workbook/>", "no sheet"},
          Case{"xl/worksheets/sheet1.xml",
               "<worksheet><sheetData><row r=\"3\"/><row r=\"2\"/></sheetData></worksheet>",
               "out of order"}}) {
        const QString path = TemplateWith(c.part, c.text);
        XlsxWorkbook book;
        try {
            book.load(path);
            ADD_FAILURE() << "expected an error for " << c.part;
        } catch (const OmbrexError& e) {
            EXPECT_TRUE(e.message().contains(path)) << qPrintable(e.message());
            EXPECT_TRUE(e.message().contains(c.why)) << qPrintable(e.message());
        }
    }
}

long PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// A package may claim any size for a part. The real template claiming 3.75 GB for each part
// loads from what its parts really hold, without asking for the memory they claim.
TEST_F(Workbook, PartSizesClaimedByThePackageAreNotTrusted) {
    QFile real(ReportTemplatePath());
    ASSERT_TRUE(real.open(QIODevice::ReadOnly));
    QByteArray bytes = real.readAll();
    const QByteArray central("PK\x01\x02");
    for (qsizetype at = bytes.indexOf(central); at >= 0; at = bytes.indexOf(central, at + 4))
        qToLittleEndian<quint32>(0xF0000000u, bytes.data() + at + 24); // uncompressed size
    const QString path = TestFolder() + "/Claiming Report.xltx";
    QFile claiming(path);
    ASSERT_TRUE(claiming.open(QIODevice::WriteOnly));
    claiming.write(bytes);
    claiming.close();
    const long before = PeakMegabytes();
    XlsxWorkbook book;
    EXPECT_NO_THROW(book.load(path));
    EXPECT_LT(PeakMegabytes() - before, 100);
}

TEST_F(Workbook, TemplateWithoutSharedStringsGetsThem) {
    // Drop the strings part and every reference to it: the written texts still arrive.
    QString path = TemplateWith("xl/sharedStrings.xml", "");
    {
        XlsxWorkbook probe;
        EXPECT_THROW(probe.load(path), OmbrexError); // still referenced
    }
    const QString sheet =
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<sheetData/></worksheet>";
    const QString rels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/styles\" Target=\"styles.xml\"/></Relationships>";
    QFile::rename(path, TestFolder() + "/step1.xltx");
    QProcess python;
    python.start(
        "/usr/bin/python3",
        {"-c",
         "import sys, zipfile\n"
         "src, dst, sheet, rels = sys.argv[1:5]\n"
         "with zipfile.ZipFile(src) as a, zipfile.ZipFile(dst, 'w') as b:\n"
         "    for n in a.namelist():\n"
         "        t = a.read(n)\n"
         "        if n == 'xl/worksheets/sheet1.xml': t = sheet\n"
         "        if n == 'xl/_rels/workbook.xml.rels': t = rels\n"
         "        if n == '[Content_Types].xml':\n"
         "            t = t.decode().replace('<Override PartName=\"/xl/sharedStrings.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml."
         "sharedStrings+xml\"/>', '')\n"
         "        b.writestr(n, t)\n",
         TestFolder() + "/step1.xltx", TestFolder() + "/Bare Report.xltx", sheet, rels});
    ASSERT_TRUE(python.waitForFinished(30000) && python.exitCode() == 0);
    path = TestFolder() + "/Bare Report.xltx";
    QString written;
    {
        XlsxSpreadsheet app;
        app.visible(true);
        app.Workbooks()->open(path);
        app.Range("c7")->select();
        app.Selection()->value("No Data Available");
        written = app.saveReport();
    }
    const QJsonObject book = ReadBack(written);
    EXPECT_EQ(CellOf(book, 7, 3)["v"].toString(), "No Data Available");
}

TEST_F(Workbook, KeepsTheTemplateAndTypesTheCells) {
    QString written;
    {
        XlsxSpreadsheet app;
        app.visible(true);
        app.Workbooks()->open(ReportTemplatePath());
        auto put = [&](const QString& address, const QString& text) {
            app.Range(address)->select();
            app.Selection()->value(text);
        };
        put("b2", "Field Station 7 & <north>");
        put("a7", "03/01/09 8:05:00 AM");
        put("b7", "0.76");
        put("c7", " - Warning! Date Squence Error.");
        app.Selection()->font()->Color(255);
        put("a8", "03/02/09");
        app.Selection()->font()->Color(0);
        app.Range("b8")->select();
        app.Selection()->value(0);
        put("c8", "");
        written = app.saveReport();
    }
    ASSERT_EQ(opener.opened, QStringList{QUrl::fromLocalFile(written).toString()});
    const QJsonObject book = ReadBack(written);
    const QJsonObject original = ReadBack(ReportTemplatePath());
    ASSERT_FALSE(book.isEmpty());
    EXPECT_TRUE(book["workbook_type"].toBool());
    EXPECT_FALSE(book["template_type"].toBool());
    EXPECT_TRUE(original["template_type"].toBool());
    // Rows 1 to 6 as the template has them, but for the cell written into B2.
    for (int r = 1; r <= 6; ++r)
        for (int c = 1; c <= 3; ++c)
            if (r != 2 || c != 2) {
                EXPECT_EQ(CellOf(book, r, c), CellOf(original, r, c)) << r << "," << c;
            }
    EXPECT_EQ(CellOf(book, 2, 2)["v"].toString(), "Field Station 7 & <north>");
    EXPECT_EQ(book["widths"], original["widths"]);

    EXPECT_EQ(CellOf(book, 7, 1)["t"].toString(), "date");
    EXPECT_EQ(CellOf(book, 7, 1)["v"].toString(), "2009-03-01T08:05:00");
    EXPECT_EQ(CellOf(book, 7, 2)["t"].toString(), "number");
    EXPECT_EQ(CellOf(book, 7, 2)["v"].toString(), "0.76");
    EXPECT_EQ(CellOf(book, 7, 2)["fmt"].toString(), "0.00");
    EXPECT_EQ(CellOf(book, 7, 3)["v"].toString(), " - Warning! Date Squence Error.");
    EXPECT_EQ(CellOf(book, 7, 3)["color"].toString(), "FFFF0000");
    EXPECT_EQ(CellOf(book, 8, 1)["t"].toString(), "date");
    EXPECT_EQ(CellOf(book, 8, 1)["v"].toString(), "2009-03-02T00:00:00");
    EXPECT_EQ(CellOf(book, 8, 1)["color"].toString(), "FF000000");
    EXPECT_EQ(CellOf(book, 8, 2)["v"].toString(), "0");
    EXPECT_EQ(CellOf(book, 8, 3)["t"].toString(), "empty");
    EXPECT_EQ(book["max_row"].toInt(), 8);
}

TEST_F(Workbook, SheetEndsAtItsLastRowAndKeepsWhatWasWritten) {
    {
        XlsxSpreadsheet app;
        app.visible(true);
        app.Workbooks()->open(ReportTemplatePath());
        app.Range("a7")->select();
        app.Selection()->value("03/01/09");
        app.Range("a1048576")->select();
        app.Selection()->value("last");
        try {
            app.Range("a1048577");
            ADD_FAILURE() << "expected an error beyond the last row";
        } catch (const OmbrexError& e) {
            EXPECT_TRUE(e.message().contains("a1048577")) << qPrintable(e.message());
        }
    }
    const QStringList files = ReportFiles();
    ASSERT_EQ(files.size(), 1);
    const QJsonObject book = ReadBack(ReportsFolder() + "/" + files[0], 7);
    EXPECT_EQ(book["max_row"].toInt(), 1048576);
    EXPECT_EQ(CellOf(book, 7, 1)["v"].toString(), "2009-03-01T00:00:00");
}

TEST_F(Workbook, WorkbookThatCannotBeWrittenIsReportedAtTheRelease) {
    // A file where the data folder should be: the reports folder cannot be made.
    QFile blocker(TestFolder() + "/share");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ScriptedPrompts prompts;
    prompts.expectContaining(Prompts::Kind::Error, "Reports\" cannot be created",
                             Prompts::Answer::Ok);
    {
        XlsxSpreadsheet app;
        app.visible(true);
        app.Workbooks()->open(ReportTemplatePath());
        app.Range("a7")->select();
        app.Selection()->value("03/01/09");
    }
    EXPECT_TRUE(opener.opened.isEmpty());
}

TEST_F(Workbook, ReportDatesStayDatesUnderEveryLocale) {
    for (const char* name : {"es_ES", "fi_FI", "da_DK", "ja_JP", "ko_KR"}) {
        SCOPED_TRACE(name);
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        DataUnit::ClearTables();
        DataUnit::AppendEvent(TRainRecord{EncodeDateTime(2009, 3, 1, 16, 15, 0, 0), 3, QString()});
        DataUnit::AppendEvent(TRainRecord{EncodeDateTime(2009, 3, 2, 0, 5, 9, 0), 1, QString()});
        for (const QString& f : ReportFiles())
            QFile::remove(ReportsFolder() + "/" + f);
        ExportEvents(ReportContext{XlsxSpreadsheet::Factory(), EncodeDate(2009, 3, 1),
                                   EncodeDate(2009, 3, 3), QString()});
        const QStringList files = ReportFiles();
        ASSERT_EQ(files.size(), 1);
        const QJsonObject book = ReadBack(ReportsFolder() + "/" + files[0]);
        EXPECT_EQ(CellOf(book, 7, 1)["t"].toString(), "date");
        EXPECT_EQ(CellOf(book, 7, 1)["v"].toString(), "2009-03-01T16:15:00");
        EXPECT_EQ(CellOf(book, 8, 1)["v"].toString(), "2009-03-02T00:05:09");
        EXPECT_EQ(CellOf(book, 7, 2)["t"].toString(), "number");
        EXPECT_EQ(CellOf(book, 7, 2)["v"].toString(), "0.3");
    }
}

TEST_F(Workbook, ReportNamesAreNeverReused) {
    QDir().mkpath(ReportsFolder());
    const QDateTime when(QDate(2026, 12, 10), QTime(8, 15));
    const QString first = ReserveReportFile(ReportsFolder(), when);
    const QString second = ReserveReportFile(ReportsFolder(), when);
    EXPECT_EQ(FileNameOnly(first), "Hyetra Report 2026-12-10 0815.xlsx");
    EXPECT_EQ(FileNameOnly(second), "Hyetra Report 2026-12-10 0815 (2).xlsx");
}

TEST_F(Workbook, ReportsWrittenFromTheRealTemplateReadBack) {
    // 5 March is dated before the day it follows: a date sequence error.
    for (const char* line : {"03/03/09 09:00 0.02", "03/04/09 10:30 0.05", "03/02/09 11:00 0.01",
                             "03/05/09 08:15 0.03"})
        ASSERT_EQ(DataUnit::ParseRecordLine(QString::fromLatin1(line)), 0);
    DataUnit::BuildDailyTable(EncodeDate(2009, 3, 3));
    ReportContext context{XlsxSpreadsheet::Factory(), EncodeDate(2009, 3, 1),
                          EncodeDate(2009, 3, 31), QString()};

    ExportByDay(context);
    ASSERT_EQ(ReportFiles().size(), 1);
    const QString dayReport = ReportsFolder() + "/" + ReportFiles()[0];
    const QByteArray dayDigest = Digest(dayReport);
    ExportEvents(context);
    const QStringList files = ReportFiles();
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(Digest(dayReport), dayDigest);
    EXPECT_EQ(opener.opened.size(), 2);
    const QString eventsReport =
        ReportsFolder() + "/" + (files[0] == FileNameOnly(dayReport) ? files[1] : files[0]);

    const QJsonObject original = ReadBack(ReportTemplatePath());
    const QJsonObject day = ReadBack(dayReport);
    for (int r = 1; r <= 6; ++r)
        EXPECT_EQ(day["rows"].toArray()[r - 1], original["rows"].toArray()[r - 1]) << r;
    // Daily records 3 March (2 tips), 4 March (5), 2 March (1, red), then the zero days up to
    // 5 March (3).
    struct Row {
        const char* date;
        const char* depth;
        const char* remark;
        const char* color;
    };
    const Row rows[] = {
        {"2009-03-03T00:00:00", "0.2", nullptr, "FF000000"},
        {"2009-03-04T00:00:00", "0.5", nullptr, "FF000000"},
        {"2009-03-02T00:00:00", "0.1", " - Warning! Date Squence Error.", "FFFF0000"},
        {"2009-03-03T00:00:00", "0", nullptr, "FF000000"},
        {"2009-03-04T00:00:00", "0", nullptr, "FF000000"},
        {"2009-03-05T00:00:00", "0.3", nullptr, "FF000000"}};
    EXPECT_EQ(day["max_row"].toInt(), 12);
    for (int i = 0; i < 6; ++i) {
        const int r = 7 + i;
        EXPECT_EQ(CellOf(day, r, 1)["t"].toString(), "date") << r;
        EXPECT_EQ(CellOf(day, r, 1)["v"].toString(), rows[i].date) << r;
        EXPECT_EQ(CellOf(day, r, 1)["color"].toString(), rows[i].color) << r;
        EXPECT_EQ(CellOf(day, r, 2)["t"].toString(), "number") << r;
        EXPECT_EQ(CellOf(day, r, 2)["v"].toString(), rows[i].depth) << r;
        EXPECT_EQ(CellOf(day, r, 3)["v"].toString(), rows[i].remark ? rows[i].remark : QString())
            << r;
    }

    const QJsonObject events = ReadBack(eventsReport);
    EXPECT_EQ(events["max_row"].toInt(), 10);
    EXPECT_EQ(CellOf(events, 7, 1)["v"].toString(), "2009-03-03T09:00:00");
    EXPECT_EQ(CellOf(events, 7, 1)["fmt"].toString(), "mm/dd/yy h:mm:ss AM/PM");
    EXPECT_EQ(CellOf(events, 9, 1)["v"].toString(), "2009-03-02T11:00:00");
    EXPECT_EQ(CellOf(events, 10, 2)["v"].toString(), "0.3");
    EXPECT_EQ(CellOf(events, 10, 3)["t"].toString(), "empty");
}

} // namespace
