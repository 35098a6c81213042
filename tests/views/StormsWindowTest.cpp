#include "analysis/QualityState.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/views/MainWindowSupport.h"
#include "views/TChildHyetograph.h"
#include "views/TChildQuality.h"
#include "views/TChildStorms.h"

#include <QAction>
#include <QChart>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {

// Two storms on the 0.01 inch collector: 30 minutes of one tip from 2 June 2020 12:00 (0.30 in,
// not erosive), and 25 tips in each of two minutes on 5 June at 08:00 (0.50 in = 12.7 mm: erosive).
void twoStorms() {
    std::vector<Fixtures::Event> events;
    events.push_back({EncodeDateTime(2020, 6, 1, 7, 0), 0});
    for (int m = 0; m < 30; ++m)
        events.push_back({EncodeDateTime(2020, 6, 2, 12, m), 1});
    events.push_back({EncodeDateTime(2020, 6, 5, 8, 0), 25});
    events.push_back({EncodeDateTime(2020, 6, 5, 8, 1), 25});
    events.push_back({EncodeDateTime(2020, 6, 10, 18, 0), 0});
    Fixtures::LoadEvents(events);
}

QString Cell(QTableWidget* t, int row, int column) {
    return t->item(row, column) ? t->item(row, column)->text() : QString();
}

int Column(QTableWidget* t, const QString& heading) {
    for (int c = 0; c < t->columnCount(); ++c)
        if (t->horizontalHeaderItem(c)->text() == heading)
            return c;
    ADD_FAILURE() << "no column " << heading.toStdString();
    return 0;
}

class StormsWindow : public ::testing::Test {
protected:
    void SetUp() override {
        main = OpenMain();
        twoStorms();
        main->setWindowTitle("Ombrex V2.4 - garden.dat");
        main->RefreshDataViews();
        main->MnuStormsClick();
        ASSERT_EQ(main->StormsWindows().size(), 1);
        storms = main->StormsWindows().first();
    }
    void TearDown() override {
        main.reset();
        DataUnit::ClearTables();
        DataUnit::BucketFactor = 10;
    }
    std::unique_ptr<TFMain> main;
    TChildStorms* storms = nullptr;
};

} // namespace

TEST_F(StormsWindow, OpensFromTheWindowMenuAndToolbarOnceAndTakesTheEditCommands) {
    EXPECT_TRUE(main->WindowTools()->actions().contains(main->Action("MnuStorms")));
    EXPECT_EQ(main->ActiveChild(), storms);
    EXPECT_TRUE(main->Action("MnuPrint")->isEnabled());
    EXPECT_TRUE(main->Action("MnuCopy")->isEnabled());
    EXPECT_TRUE(main->Action("MnuSelectAll")->isEnabled());
    // Shown again, not made twice; made again once closed.
    Activate(*main, main->TextWindows().first());
    main->Action("MnuStorms")->trigger();
    EXPECT_EQ(main->StormsWindows().size(), 1);
    EXPECT_EQ(main->ActiveChild(), storms);
    storms->close();
    WaitUntil([&] { return main->StormsWindows().isEmpty(); }, 2000);
    main->Action("MnuStorms")->trigger();
    EXPECT_EQ(main->StormsWindows().size(), 1);
}

TEST_F(StormsWindow, ListsTheStormsInTheCollectorsUnitAndFollowsChanges) {
    QTableWidget* t = storms->StormTable();
    ASSERT_EQ(t->rowCount(), 2);
    EXPECT_EQ(Cell(t, 0, 0), "06/02/20 12:00");
    EXPECT_EQ(Cell(t, 0, 1), "06/02/20 12:29");
    EXPECT_EQ(Cell(t, 0, Column(t, "Duration (min)")), "30");
    EXPECT_EQ(Cell(t, 0, Column(t, "Depth (in)")), "0.300");
    EXPECT_EQ(Cell(t, 0, Column(t, "I30 (in/h)")), "0.600");
    EXPECT_EQ(Cell(t, 0, Column(t, "Erosive")), "no");
    EXPECT_EQ(Cell(t, 1, Column(t, "Depth (in)")), "0.500");
    EXPECT_EQ(Cell(t, 1, Column(t, "I5 (in/h)")), "6.000");
    EXPECT_EQ(Cell(t, 1, Column(t, "Erosive")), "yes");
    EXPECT_EQ(Column(t, "EI30 (MJ mm/(ha h))"), 16);

    // Sorted by the value, not the text: deepest first.
    t->sortByColumn(Column(t, "Depth (in)"), Qt::DescendingOrder);
    EXPECT_EQ(Cell(t, 0, 0), "06/05/20 08:00");

    // The 0.2 mm collector: 30 tips are 6 mm.
    main->MBF020Click();
    t = storms->StormTable();
    EXPECT_EQ(Cell(t, 0, Column(t, "Depth (mm)")), "6.00");
    EXPECT_EQ(Cell(t, 0, Column(t, "I30 (mm/h)")), "12.00");

    // Other tables: one storm.
    Fixtures::LoadEvents(
        {{EncodeDateTime(2021, 1, 1, 0, 0), 0}, {EncodeDateTime(2021, 1, 1, 3, 0), 4}});
    main->RefreshDataViews();
    EXPECT_EQ(storms->StormTable()->rowCount(), 1);
    main->NoDataExecute();
    EXPECT_EQ(storms->StormTable()->rowCount(), 0);
}

TEST_F(StormsWindow, SummariesShowMonthsAndYears) {
    QTableWidget* months = storms->MonthTable();
    ASSERT_EQ(months->rowCount(), 1);
    EXPECT_EQ(Cell(months, 0, 0), "Jun 2020");
    EXPECT_EQ(Cell(months, 0, Column(months, "Depth (in)")), "0.800");
    EXPECT_EQ(Cell(months, 0, Column(months, "Rain days")), "2");
    EXPECT_EQ(Cell(months, 0, Column(months, "Storms")), "2");
    EXPECT_EQ(Cell(months, 0, Column(months, "Erosive storms")), "1");
    // Logged from 1 June 07:00 to 10 June 18:00 of 30 days.
    EXPECT_EQ(Cell(months, 0, Column(months, "Complete (%)")), "31.5");
    ASSERT_EQ(storms->YearTable()->rowCount(), 1);
    EXPECT_EQ(Cell(storms->YearTable(), 0, 0), "2020");
}

TEST_F(StormsWindow, OptionsAreKeptInTheSettingsStore) {
    storms->SeparationBox()->setValue(10000); // 3 days apart: one storm
    EXPECT_EQ(storms->StormTable()->rowCount(), 1);
    storms->EnergyBox()->setCurrentIndex(2);
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Pluvatec", "Ombrex2");
    EXPECT_EQ(settings.value("Storms/Separation Minutes").toString(), "10000");
    EXPECT_EQ(settings.value("Storms/Energy Equation").toString(), "2");
    storms->close();
    WaitUntil([&] { return main->StormsWindows().isEmpty(); }, 2000);
    main->MnuStormsClick();
    TChildStorms* again = main->StormsWindows().first();
    EXPECT_EQ(again->SeparationBox()->value(), 10000);
    EXPECT_EQ(again->EnergyBox()->currentText(), "USLE");
    EXPECT_EQ(again->StormTable()->rowCount(), 1);
}

TEST_F(StormsWindow, DoubleClickHandsTheStormsDaysToTheGraph) {
    ASSERT_EQ(main->GraphWindows().size(), 1);
    // 5 June: the fifth day of the daily table.
    emit storms->StormTable()->cellDoubleClicked(1, 3);
    EXPECT_EQ(main->GraphWindows().first()->FirstDay(), 4);
    EXPECT_EQ(main->GraphWindows().first()->LastDay(), 4);
    EXPECT_EQ(main->GraphFirstDay(), 4);
}

TEST_F(StormsWindow, CopySelectAllAndPrintActOnTheTable) {
    Activate(*main, storms);
    main->MnuSelectAllClick();
    EXPECT_EQ(storms->StormTable()->selectionModel()->selectedRows().size(), 2);
    main->MnuCopyClick();
    const QStringList copied = QGuiApplication::clipboard()->text().split('\n');
    ASSERT_GE(copied.size(), 3);
    EXPECT_TRUE(copied[0].startsWith("Start\tEnd\tDuration (min)\tDepth (in)\tI5 (in/h)"));
    EXPECT_TRUE(copied[1].startsWith("06/02/20 12:00\t06/02/20 12:29\t30\t0.300"))
        << copied[1].toStdString();

    const QString pdf = TestFolder() + "/storms.pdf";
    QPrinter* printer = main->Printer();
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdf);
    ScriptedPrompts prompts;
    prompts.expectPrinterSetup(true);
    main->MnuPrintClick();
    EXPECT_EQ(printer->docName(), "Storm Report");
    const QString text = RunTool("pdftotext", {"-layout", pdf, "-"});
    const QStringList lines = text.split('\n');
    ASSERT_GE(lines.size(), 8) << text.toStdString();
    EXPECT_EQ(lines[0].trimmed(), "Storm Report");
    EXPECT_EQ(lines[1].trimmed(), "Data: garden.dat");
    EXPECT_EQ(lines[2].trimmed(),
              "Storms separated by more than 360 dry minutes; energy: Brown-Foster; collector "
              "0.01 in/tip");
    EXPECT_TRUE(text.contains("EI30 (MJ mm/(ha h))"));
    EXPECT_TRUE(QRegularExpression("06/02/20 12:00\\s+06/02/20 12:29\\s+30\\s+0.300")
                    .match(text)
                    .hasMatch())
        << text.toStdString();
    EXPECT_TRUE(QRegularExpression("06/05/20 08:00\\s+06/05/20 08:01\\s+2\\s+0.500.*yes")
                    .match(text)
                    .hasMatch())
        << text.toStdString();

    // The summaries tab prints the months and years.
    storms->Tabs()->setCurrentIndex(1);
    prompts.expectPrinterSetup(true);
    main->MnuPrintClick();
    const QString summary = RunTool("pdftotext", {"-layout", pdf, "-"});
    EXPECT_TRUE(summary.startsWith("Rainfall Summary")) << summary.toStdString();
    EXPECT_TRUE(QRegularExpression("Jun 2020\\s+0.800\\s+2").match(summary).hasMatch())
        << summary.toStdString();
}

TEST_F(StormsWindow, ShowHyetographOpensOneOrShowsTheStormInTheOpenOnes) {
    EXPECT_TRUE(main->HyetographWindows().isEmpty());
    // Rows are in time order: row 1 is the storm of 5 June 08:00-08:01.
    storms->StormTable()->setCurrentCell(1, 0);
    QAction* show = storms->StormMenu()->findChild<QAction*>("MnuShowHyetograph");
    ASSERT_NE(show, nullptr);
    show->trigger();
    ASSERT_EQ(main->HyetographWindows().size(), 1);
    TChildHyetograph* h = main->HyetographWindows().first();
    EXPECT_EQ(main->ActiveChild(), h);
    EXPECT_LT(h->RangeFrom(), EncodeDateTime(2020, 6, 5, 8, 0));
    EXPECT_GT(h->RangeTo(), EncodeDateTime(2020, 6, 5, 8, 1));
    EXPECT_LT(h->RangeTo() - h->RangeFrom(), 1.0 / 12);

    // A double-click gives the open hyetograph the storm as well; none is made twice.
    Activate(*main, storms);
    storms->ShowStormDays(0);
    ASSERT_EQ(main->HyetographWindows().size(), 1);
    EXPECT_LT(h->RangeFrom(), EncodeDateTime(2020, 6, 2, 12, 0));
    EXPECT_GT(h->RangeTo(), EncodeDateTime(2020, 6, 2, 12, 29));
    EXPECT_LT(h->RangeTo() - h->RangeFrom(), 1.0 / 12);
    Activate(*main, storms);
    storms->findChild<QPushButton*>("ShowHyetograph")->click();
    EXPECT_EQ(main->HyetographWindows().size(), 1);
    EXPECT_EQ(main->ActiveChild(), h);

    // Days zoomed into on the graph are the hyetograph's range.
    TChildGraph* graph = main->GraphWindows().first();
    graph->SetRange(0, DataUnit::DailyCount() - 1);
    graph->showMaximized();
    SpinFor(100);
    int32_t first = 0, last = 0;
    EXPECT_FALSE(graph->ZoomedDays(first, last));
    const QRectF plot = graph->Chart1()->plotArea();
    graph->Chart1()->zoomIn(
        QRectF(plot.left() + plot.width() * 0.35, plot.top(), plot.width() * 0.3, plot.height()));
    ASSERT_TRUE(graph->ZoomedDays(first, last));
    EXPECT_GT(first, 0);
    EXPECT_LT(last, DataUnit::DailyCount() - 1);
    bool out = false;
    EXPECT_NEAR(h->RangeFrom(), std::floor(DataUnit::GetDaily(first, out).DateTime), 1e-6);
    EXPECT_NEAR(h->RangeTo(), std::floor(DataUnit::GetDaily(last, out).DateTime) + 1, 1e-6);
}

TEST_F(StormsWindow, HyetographShadesTheStormsOfTheStormsWindowsOptions) {
    main->MnuHyetographClick();
    ASSERT_EQ(main->HyetographWindows().size(), 1);
    TChildHyetograph* h = main->HyetographWindows().first();
    ASSERT_EQ(h->Storms().size(), 2u);
    EXPECT_EQ(h->Layer()->Boxes(HyetographLayer::Storm).size(), 2u);
    // A week's separation joins 2 and 5 June into one storm, here and there.
    storms->SeparationBox()->setValue(10080);
    EXPECT_EQ(storms->Storms().size(), 1u);
    EXPECT_EQ(h->Storms().size(), 1u);
    EXPECT_EQ(h->Layer()->Boxes(HyetographLayer::Storm).size(), 1u);
    storms->SeparationBox()->setValue(360);
}

// Test tips two minutes after the start record: flagged I, accepted, then left out.
TEST(StormsWindowQuality, LeavesOutAcceptedFlagsEverywhereAndSaysSo) {
    auto main = OpenMain();
    std::vector<Fixtures::Event> events{{EncodeDateTime(2020, 6, 1, 7, 0), 0},
                                        {EncodeDateTime(2020, 6, 1, 7, 2), 3}};
    for (int m = 0; m < 30; ++m)
        events.push_back({EncodeDateTime(2020, 6, 2, 12, m), 1});
    events.push_back({EncodeDateTime(2020, 6, 10, 18, 0), 0});
    Fixtures::LoadEvents(events);
    ASSERT_EQ(Analysis::ActiveFlags()[1], "I");
    Analysis::FlagDecisions().Put({{1, 'I'}, Analysis::FlagVerdict::Accepted, NowDateTime()});
    main->RefreshDataViews();
    main->MnuStormsClick();
    TChildStorms* storms = main->StormsWindows().first();
    main->MnuHyetographClick();
    TChildHyetograph* h = main->HyetographWindows().first();
    EXPECT_EQ(storms->Storms().size(), 2u);
    EXPECT_EQ(h->Storms().size(), 2u);
    EXPECT_TRUE(storms->QualityLine()->text().startsWith("No flags left out"))
        << storms->QualityLine()->text().toStdString();

    main->Action("MnuLeaveOutFlags")->trigger();
    ASSERT_TRUE(Analysis::LeaveOutAcceptedFlags());
    EXPECT_EQ(storms->Storms().size(), 1u);
    EXPECT_EQ(storms->Storms().front().Tips, 30);
    EXPECT_EQ(h->Storms().size(), 1u);
    EXPECT_TRUE(storms->QualityLine()->text().startsWith("Accepted flags left out"));
    EXPECT_TRUE(storms->PrintHeader().contains("Accepted flags left out of the analysis"));
    // The summaries too: 30 tips of 0.01 in.
    EXPECT_EQ(Cell(storms->MonthTable(), 0, Column(storms->MonthTable(), "Depth (in)")), "0.300");
    // A decision in the quality window reaches the storms at once.
    main->MnuQualityClick();
    TChildQuality* quality = qobject_cast<TChildQuality*>(main->ActiveChild());
    ASSERT_NE(quality, nullptr);
    ASSERT_EQ(quality->Rows().size(), 1u);
    quality->DecideRows({0}, std::nullopt);
    EXPECT_EQ(storms->Storms().size(), 2u);
    EXPECT_EQ(h->Storms().size(), 2u);
    quality->DecideRows({0}, Analysis::FlagVerdict::Accepted);
    EXPECT_EQ(storms->Storms().size(), 1u);

    main->Action("MnuLeaveOutFlags")->trigger();
    EXPECT_FALSE(Analysis::LeaveOutAcceptedFlags());
    EXPECT_EQ(storms->Storms().size(), 2u);
    main.reset();
    DataUnit::ClearTables();
    Analysis::ForgetMemoryDecisions();
}

// The literature's 0.45 s on a 0.254 mm bucket: 10 tips in one minute are 2.54 mm as counted and
// 2.54 * 60 / (60 - 4.5) = 2.75 mm corrected.
TEST(StormsWindowQuality, ShowsCorrectedDepthsBesideTheRawOnes) {
    auto main = OpenMain();
    Fixtures::LoadEvents({{EncodeDateTime(2020, 6, 1, 7, 0), 0},
                          {EncodeDateTime(2020, 6, 2, 12, 0), 10},
                          {EncodeDateTime(2020, 6, 3, 7, 0), 0}});
    DataUnit::BucketFactor = 254;
    Analysis::ActiveQualitySettings().TipTimeConstantS = 0.45;
    main->RefreshDataViews();
    main->MnuStormsClick();
    TChildStorms* storms = main->StormsWindows().first();
    QTableWidget* t = storms->StormTable();
    const int depth = Column(t, "Depth (mm)");
    EXPECT_EQ(Column(t, "Depth corrected (mm)"), depth + 1);
    EXPECT_EQ(Cell(t, 0, depth), "2.54");
    EXPECT_EQ(Cell(t, 0, depth + 1), "2.75");
    EXPECT_EQ(Cell(t, 0, Column(t, "I5 (mm/h)")), "30.48");
    EXPECT_EQ(Cell(t, 0, Column(t, "I5 corrected (mm/h)")), "32.95"); // 2.7459 mm * 12
    EXPECT_EQ(Cell(t, 0, Column(t, "I60 corrected (mm/h)")), "2.75");
    QTableWidget* months = storms->MonthTable();
    EXPECT_EQ(Cell(months, 0, Column(months, "Depth (mm)")), "2.54");
    EXPECT_EQ(Cell(months, 0, Column(months, "Depth corrected (mm)")), "2.75");
    EXPECT_EQ(Cell(months, 0, Column(months, "Largest I60 corrected (mm/h)")), "2.75");
    EXPECT_TRUE(storms->QualityLine()->text().contains("tip time constant of 0.45 s"));
    EXPECT_TRUE(storms->PrintHeader().join("\n").contains("0.45 s"));

    // Without the constant the corrected columns go.
    Analysis::ActiveQualitySettings().TipTimeConstantS = 0;
    main->RefreshDataViews();
    for (int c = 0; c < t->columnCount(); ++c)
        EXPECT_FALSE(t->horizontalHeaderItem(c)->text().contains("corrected"));
    main.reset();
    DataUnit::ClearTables();
    DataUnit::BucketFactor = 10;
}
