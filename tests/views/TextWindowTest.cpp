#include "tests/support/ScriptedPrompts.h"
#include "tests/views/MainWindowSupport.h"
#include "views/LineView.h"

#include <QAction>
#include <QBarSet>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Ten days from 1 June 2020, rain on every other day (2 tips each), a message on 4 June.
void tenDays() {
    std::vector<Fixtures::Event> events;
    events.push_back({EncodeDateTime(2020, 6, 1, 7, 0), 0});
    for (int d = 0; d < 10; ++d)
        if (d % 2 == 0)
            events.push_back({EncodeDateTime(2020, 6, 1 + d, 12, 0), 2});
    events.push_back({EncodeDateTime(2020, 6, 4, 9, 15), 0, "Low Battery"});
    events.push_back({EncodeDateTime(2020, 6, 10, 18, 0), 0});
    std::sort(events.begin(), events.end(),
              [](const auto& a, const auto& b) { return a.when < b.when; });
    Fixtures::LoadEvents(events);
}

class TextWindow : public ::testing::Test {
protected:
    void SetUp() override {
        main = OpenMain(); // starts with NoData, which empties the tables
        tenDays();
        main->RefreshDataViews();
        ASSERT_EQ(main->TextWindows().size(), 1);
        text = main->TextWindows().first();
    }
    void TearDown() override {
        main.reset();
        DataUnit::ClearTables();
    }
    std::unique_ptr<TFMain> main;
    TChildText* text = nullptr;
};

} // namespace

TEST_F(TextWindow, SwitchesBetweenTheTwoReports) {
    EXPECT_EQ(text->windowTitle(), "Text - Daily");
    EXPECT_EQ(text->Memo1()->lineCount(), 10);
    EXPECT_EQ(text->Memo1()->lines().texts[1], "06/02/20 - 0.00");
    EXPECT_EQ(text->Memo1()->lines().colours[1], LineColour::Grey);

    auto* eventBtn = text->findChild<QPushButton*>("EventBtn");
    ASSERT_NE(eventBtn, nullptr);
    EXPECT_EQ(eventBtn->text(), "&Event");
    QTest::mouseClick(eventBtn, Qt::LeftButton);
    EXPECT_EQ(text->windowTitle(), "Text - Event");
    EXPECT_EQ(text->Memo1()->lineCount(), DataUnit::EventCount());
    EXPECT_EQ(text->Memo1()->lines().texts[3], "06/04/20 09:15 - 0.00 :Low Battery");
    EXPECT_EQ(text->Memo1()->lines().colours[3], LineColour::Red);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr); // the hourglass is gone

    // The graph item is greyed while the event report shows.
    emit text->PopupMenu1()->aboutToShow();
    EXPECT_FALSE(text->GraphItem()->isEnabled());
    QTest::mouseClick(text->findChild<QPushButton*>("DailyBtn"), Qt::LeftButton);
    emit text->PopupMenu1()->aboutToShow();
    EXPECT_TRUE(text->GraphItem()->isEnabled());
    EXPECT_EQ(text->windowTitle(), "Text - Daily");

    // A collector change rebuilds the report shown.
    main->MBF050Click();
    EXPECT_EQ(text->Memo1()->lines().texts[0], "06/01/20 - 1.00");
    main->MBF001Click();
}

TEST_F(TextWindow, EmptyTablesShowNoDataAvailable) {
    main->NoDataExecute();
    EXPECT_EQ(text->Memo1()->lines().texts, QStringList({"No Data Available"}));
    text->EventBtnClick();
    EXPECT_EQ(text->Memo1()->lines().texts, QStringList({"No Data Available"}));
}

TEST_F(TextWindow, SelectionByMouseAndKeyboardIsCopiedAsPlainText) {
    LineView* memo = text->Memo1();
    const int lh = memo->lineHeight();
    QWidget* vp = memo->viewport();
    // Press in line 1 just left of its first character, drag to the middle of line 2.
    QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(1, lh + lh / 2));
    QMouseEvent move(QEvent::MouseMove, QPointF(300, 2 * lh + lh / 2),
                     vp->mapToGlobal(QPointF(300, 2 * lh + lh / 2)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(vp, &move);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(300, 2 * lh + lh / 2));
    EXPECT_EQ(memo->selectedText(), "06/02/20 - 0.00\n06/03/20 - 0.02");
    text->CopytoClipboardClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "06/02/20 - 0.00\n06/03/20 - 0.02");

    // Shift with the arrow keys extends from the cursor.
    memo->setSelection({0, 0}, {0, 0});
    QTest::keyClick(memo, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(memo, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(memo->selectedText(), "06/01/20 - 0.02\n06/02/20 - 0.00");

    // Select All and Copy through the main window.
    Activate(*main, text);
    main->MnuSelectAllClick();
    main->MnuCopyClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), memo->text());
    EXPECT_EQ(QGuiApplication::clipboard()->text().count('\n'), 9);
}

TEST_F(TextWindow, GraphCommandHandsTheSelectedDaysToGraphWindows) {
    LineView* memo = text->Memo1();
    ASSERT_EQ(main->GraphWindows().size(), 1);
    TChildGraph* graph = main->GraphWindows().first();

    memo->setSelection({3, 4}, {5, 2});
    text->GraphClick();
    EXPECT_EQ(graph->FirstDay(), 3);
    EXPECT_EQ(graph->LastDay(), 5);
    EXPECT_EQ(graph->BarLabels(), QStringList({"06/04/20", "06/05/20", "06/06/20"}));
    EXPECT_EQ(main->ActiveChild(), graph); // shown, and no second graph window
    EXPECT_EQ(main->GraphWindows().size(), 1);
    EXPECT_FALSE(memo->hasSelection());

    // A selection that ends with the line break after line 6 ends on line 6.
    memo->setSelection({2, 0}, {7, 0});
    text->GraphClick();
    EXPECT_EQ(graph->FirstDay(), 2);
    EXPECT_EQ(graph->LastDay(), 6);

    // No selection: all days.
    text->GraphClick();
    EXPECT_EQ(graph->FirstDay(), 0);
    EXPECT_EQ(graph->LastDay(), 9);
    EXPECT_EQ(graph->Series1()->count(), 10);

    // With no graph window, a new one is made and takes the range.
    graph->close();
    QCoreApplication::processEvents();
    ASSERT_TRUE(main->GraphWindows().isEmpty());
    memo->setSelection({4, 0}, {4, 3});
    text->GraphClick();
    ASSERT_EQ(main->GraphWindows().size(), 1);
    EXPECT_EQ(main->GraphWindows().first()->FirstDay(), 4);
    EXPECT_EQ(main->GraphWindows().first()->LastDay(), 4);
    EXPECT_EQ(main->GraphFirstDay(), 0); // the new window took the range
    EXPECT_EQ(main->GraphLastDay(), 0);

    // From the event report the range is every day.
    text->EventBtnClick();
    memo->setSelection({1, 0}, {2, 0});
    text->GraphClick();
    EXPECT_EQ(main->GraphWindows().first()->FirstDay(), 0);
    EXPECT_EQ(main->GraphWindows().first()->LastDay(), 9);
}

TEST_F(TextWindow, PrintsTheHeaderAndThePlainLinesToPdf) {
    main->SetDeviceName("Garden Gauge");
    const QString pdf = TestFolder() + "/report.pdf";
    QPrinter* printer = main->Printer();
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdf);
    ScriptedPrompts prompts;
    prompts.expectPrinterSetup(true);
    Activate(*main, text);
    const TDateTime before = NowDateTime();
    main->MnuPrintClick();
    EXPECT_EQ(printer->docName(), "Rainfall Report");

    const QStringList lines = RunTool("pdftotext", {"-layout", pdf, "-"}).split('\n');
    ASSERT_GE(lines.size(), 15) << lines.join('\n').toStdString();
    EXPECT_EQ(lines[0].trimmed(), "Rainfall Report");
    EXPECT_EQ(lines[1].trimmed(), "");
    EXPECT_EQ(lines[2].trimmed(), "Unit: Garden Gauge");
    EXPECT_TRUE(lines[3].trimmed().startsWith("Date: " + ShortDateText(before) + " "))
        << lines[3].toStdString();
    EXPECT_EQ(lines[4].trimmed(), "");
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(lines[5 + i].trimmed(), text->Memo1()->lines().texts[i]);
    EXPECT_EQ(text->PrintLines()[3].left(15), "Date: " + ShortDateText(before) + " ");
}

TEST(TextWindowPrint, LongReportsRunOverPages) {
    auto main = OpenMain();
    Fixtures::LoadFullMemory();
    TChildText* text = main->TextWindows().first();
    text->DailyBtnClick();
    const int lines = text->Memo1()->lineCount();
    ASSERT_GT(lines, 1000);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(TestFolder() + "/long.pdf");
    text->DoPrint(&printer);
    const QString info = RunTool("pdfinfo", {TestFolder() + "/long.pdf"});
    const int pages = info.section("Pages:", 1).trimmed().section('\n', 0, 0).toInt();
    EXPECT_GT(pages, lines / 90);
    EXPECT_LT(pages, lines / 40);
    const QString last = RunTool(
        "pdftotext", {"-f", QString::number(pages), "-layout", TestFolder() + "/long.pdf", "-"});
    EXPECT_TRUE(last.contains(text->Memo1()->lines().texts.last())) << last.toStdString();
    main.reset();
    DataUnit::ClearTables();
}
