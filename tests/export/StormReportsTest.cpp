// The storms report and the monthly summary written from the real template, read back with
// openpyxl.
#include "analysis/QualityState.h"
#include "data/DataUnit.h"
#include "export/ReportGenerators.h"
#include "export/XlsxSpreadsheet.h"
#include "tests/export/ReportTableTest.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestUtil.h"
#include "ui/Paths.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

// Every cell of the first sheet up to column AN, as text ("" for empty); numbers to ten digits,
// dates in ISO form.
QJsonArray ReadSheet(const QString& path) {
    const char* script = R"(
import datetime, json, sys, openpyxl
sheet = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
def text(v):
    if v is None: return ""
    if isinstance(v, datetime.datetime): return v.isoformat()
    return "%.10g" % v if isinstance(v, (int, float)) else str(v)
print(json.dumps([[text(sheet.cell(row=r, column=c).value) for c in range(1, 41)]
                  for r in range(1, sheet.max_row + 1)]))
)";
    QProcess python;
    python.start("/usr/bin/python3", {"-c", script, path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        ADD_FAILURE() << python.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

QString Cell(const QJsonArray& sheet, int row, int column) {
    return sheet[row - 1].toArray()[column - 1].toString();
}

class StormReports : public ReportTableTest {
protected:
    void SetUp() override {
        ReportTableTest::SetUp();
        // 1 mm a tip: 30 minutes of one tip on 3 March 2009 (the worked example), one tip on
        // 20 March, one on 2 April; logging from 1 March to 10 April.
        DataUnit::BucketFactor = 1000;
        DataUnit::AppendEvent({EncodeDateTime(2009, 3, 1, 0, 0), 0, {}});
        for (int m = 0; m < 30; ++m)
            DataUnit::AppendEvent({EncodeDateTime(2009, 3, 3, 14, m), 1, {}});
        DataUnit::AppendEvent({EncodeDateTime(2009, 3, 20, 9, 0), 1, {}});
        DataUnit::AppendEvent({EncodeDateTime(2009, 4, 2, 9, 0), 1, {}});
        DataUnit::AppendEvent({EncodeDateTime(2009, 4, 10, 0, 0), 0, {}});
        DataUnit::BuildDailyTable(EncodeDate(2009, 3, 1));
    }
    QString Written() {
        const QStringList files =
            QDir(ReportsFolder()).entryList({"*.xlsx"}, QDir::Files, QDir::Time);
        return files.isEmpty() ? QString() : ReportsFolder() + "/" + files.first();
    }
    RecordingOpener opener;
    ReportContext context{XlsxSpreadsheet::Factory(), EncodeDate(2009, 3, 1),
                          EncodeDate(2009, 4, 30), QString()};
};

} // namespace

TEST_F(StormReports, StormsSheetHasTheTemplatesHeaderAndARowAStorm) {
    ExportStorms(context, {});
    const QJsonArray sheet = ReadSheet(Written());
    ASSERT_EQ(sheet.size(), 9);
    EXPECT_EQ(Cell(sheet, 1, 1), "Hyetra Rainfall Report");
    EXPECT_EQ(Cell(sheet, 2, 1), "Logger:");
    EXPECT_EQ(Cell(sheet, 3, 1), "Collector:");
    const QStringList headings = {"Start", "End", "Duration (min)", "Depth (mm)", "I5 (mm/h)"};
    for (int c = 0; c < headings.size(); ++c)
        EXPECT_EQ(Cell(sheet, 6, c + 1), headings[c]);
    EXPECT_EQ(Cell(sheet, 6, 15), "I1440 (mm/h)");
    EXPECT_EQ(Cell(sheet, 6, 17), "EI30 (MJ mm/(ha h))");
    EXPECT_EQ(Cell(sheet, 6, 18), "Erosive");
    EXPECT_EQ(Cell(sheet, 7, 1), "2009-03-03T14:00:00");
    EXPECT_EQ(Cell(sheet, 7, 2), "2009-03-03T14:29:00");
    EXPECT_EQ(Cell(sheet, 7, 3), "30");
    EXPECT_EQ(Cell(sheet, 7, 4), "30");
    EXPECT_EQ(Cell(sheet, 7, 9), "60"); // I30
    EXPECT_EQ(Cell(sheet, 7, 16), "8.388");
    EXPECT_EQ(Cell(sheet, 7, 17), "503.3");
    EXPECT_EQ(Cell(sheet, 7, 18), "yes");
    EXPECT_EQ(Cell(sheet, 8, 1), "2009-03-20T09:00:00");
    EXPECT_EQ(Cell(sheet, 8, 18), "no");
    EXPECT_EQ(Cell(sheet, 9, 1), "2009-04-02T09:00:00");

    // The range picks the storms that start in it.
    context.RangeFrom = EncodeDate(2009, 3, 10);
    context.RangeTo = EncodeDate(2009, 3, 31);
    ExportStorms(context, {});
    const QJsonArray part = ReadSheet(Written());
    ASSERT_EQ(part.size(), 7);
    EXPECT_EQ(Cell(part, 7, 1), "2009-03-20T09:00:00");
}

TEST_F(StormReports, MonthlySummaryListsMonthsThenYears) {
    ExportMonthlySummary(context, {});
    const QJsonArray sheet = ReadSheet(Written());
    ASSERT_EQ(sheet.size(), 10);
    EXPECT_EQ(Cell(sheet, 1, 1), "Hyetra Rainfall Report");
    const QStringList headings = {"Year",
                                  "Month",
                                  "Depth (mm)",
                                  "Rain days",
                                  "Largest day (mm)",
                                  "Largest I60 (mm/h)",
                                  "Storms",
                                  "Erosive storms",
                                  "R (MJ mm/(ha h))",
                                  "Complete (%)"};
    for (int c = 0; c < headings.size(); ++c)
        EXPECT_EQ(Cell(sheet, 6, c + 1), headings[c]);
    const QStringList march = {"2009", "3", "31", "2", "30", "30", "2", "1", "503.3", "100"};
    const QStringList april = {"2009", "4", "1", "1", "1", "1", "1", "0", "0", "30"};
    for (int c = 0; c < march.size(); ++c) {
        EXPECT_EQ(Cell(sheet, 7, c + 1), march[c]) << c;
        EXPECT_EQ(Cell(sheet, 8, c + 1), april[c]) << c;
    }
    EXPECT_EQ(Cell(sheet, 9, 1), "");
    EXPECT_EQ(Cell(sheet, 10, 1), "2009");
    EXPECT_EQ(Cell(sheet, 10, 2), "");
    EXPECT_EQ(Cell(sheet, 10, 3), "32");
    EXPECT_EQ(Cell(sheet, 10, 9), "503.3");
}

TEST_F(StormReports, EmptyTablesSayNoDataAvailable) {
    DataUnit::ClearTables();
    ExportStorms(context, {});
    EXPECT_EQ(Cell(ReadSheet(Written()), 7, 1), "No Data Available");
}

// The rows above the headings say what the analysis worked on; a tip time constant adds the
// corrected figures beside the raw ones: 1 mm tips, δ = 0.45 s, one tip a minute is
// 60 / 59.55 = 1.0076 mm.
TEST_F(StormReports, HeaderRowsNameTheAnalysisAndCorrectedFiguresStandBesideTheRawOnes) {
    ExportStorms(context, {});
    QJsonArray sheet = ReadSheet(Written());
    EXPECT_TRUE(Cell(sheet, 4, 1).startsWith("Storms separated by more than 360 dry minutes"));
    EXPECT_EQ(Cell(sheet, 5, 1), "No flags left out of the analysis");
    EXPECT_EQ(Cell(sheet, 6, 19), "");

    Analysis::ActiveQualitySettings().TipTimeConstantS = 0.45;
    Analysis::SetLeaveOutAcceptedFlags(true);
    ExportStorms(context, {});
    sheet = ReadSheet(Written());
    EXPECT_EQ(Cell(sheet, 5, 1), "Accepted flags left out of the analysis; corrected depths for a "
                                 "tip time constant of 0.45 s beside the raw");
    EXPECT_EQ(Cell(sheet, 6, 4), "Depth (mm)");
    EXPECT_EQ(Cell(sheet, 6, 5), "Depth corrected (mm)");
    EXPECT_EQ(Cell(sheet, 7, 4), "30");
    EXPECT_EQ(Cell(sheet, 7, 5), "30.23");
    EXPECT_EQ(Cell(sheet, 6, 10), "I30 (mm/h)");
    EXPECT_EQ(Cell(sheet, 6, 24), "I30 corrected (mm/h)");
    EXPECT_EQ(Cell(sheet, 7, 24), "60.45");
    EXPECT_EQ(Cell(sheet, 6, 33), "Erosive corrected");
    EXPECT_EQ(Cell(sheet, 7, 33), "yes");

    ExportMonthlySummary(context, {});
    sheet = ReadSheet(Written());
    EXPECT_EQ(Cell(sheet, 5, 1).left(39), "Accepted flags left out of the analysis");
    EXPECT_EQ(Cell(sheet, 6, 3), "Depth (mm)");
    EXPECT_EQ(Cell(sheet, 6, 11), "Depth corrected (mm)");
    EXPECT_EQ(Cell(sheet, 7, 3), "31");
    EXPECT_EQ(Cell(sheet, 7, 11), "31.23");
    EXPECT_EQ(Cell(sheet, 10, 11), "32.24"); // the year
    Analysis::ActiveQualitySettings().TipTimeConstantS = 0;
    Analysis::SetLeaveOutAcceptedFlags(false);
}
