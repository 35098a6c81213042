#include "tests/support/ScriptedPrompts.h"
#include "tests/views/MainWindowSupport.h"
#include "views/LoggerClock.h"

#include "ui/OmbrexError.h"
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QGuiApplication>
#include <QLabel>
#include <QLegend>
#include <QMimeData>
#include <QPrinter>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTimer>
#include <QValueAxis>
#include <gtest/gtest.h>

namespace {

void tenDays() {
    std::vector<Fixtures::Event> events;
    for (int d = 0; d < 10; ++d)
        events.push_back({EncodeDateTime(2020, 6, 1 + d, 12, 0), d + 1});
    Fixtures::LoadEvents(events);
}

QList<qreal> barValues(TChildGraph* g) {
    QList<qreal> v;
    for (int i = 0; i < g->Series1()->count(); ++i)
        v << g->Series1()->at(i);
    return v;
}

} // namespace

TEST(GraphWindow, DrawsItsDaysAndFollowsTheCollector) {
    auto main = OpenMain(); // starts with NoData, which empties the tables
    tenDays();
    TChildGraph* g = main->GraphWindows().first();
    g->SetRange(0, 9);
    EXPECT_EQ(g->Chart1()->title(), "Daily Rainfall");
    EXPECT_EQ(g->Series1()->count(), 10);
    EXPECT_EQ(g->BarLabels().first(), "06/01/20");
    EXPECT_EQ(g->BarLabels().last(), "06/10/20");
    EXPECT_EQ(g->LeftAxis()->titleText(), "Inches");
    EXPECT_EQ(g->LeftAxis()->labelFormat(), "%.2f");
    EXPECT_EQ(g->LeftAxis()->min(), 0);
    EXPECT_GE(g->LeftAxis()->max(), 0.10);
    EXPECT_EQ(barValues(g)[9], 0.10);
    EXPECT_EQ(g->Series1()->color(), QColor(Qt::red));
    EXPECT_FALSE(g->Chart1()->legend()->isVisible());

    main->MBF020Click(); // 0.20 mm/tip
    EXPECT_EQ(g->LeftAxis()->titleText(), "Millimeters");
    EXPECT_DOUBLE_EQ(barValues(g)[9], 2.0);
    EXPECT_DOUBLE_EQ(barValues(g)[0], 0.2);
    main->MBF001Click();

    // A range past the end draws only the days that exist; a reversed range draws nothing.
    g->SetRange(7, 40);
    EXPECT_EQ(g->BarLabels(), QStringList({"06/08/20", "06/09/20", "06/10/20"}));
    g->SetRange(5, 4);
    EXPECT_EQ(g->Series1()->count(), 0);
    main->NoDataExecute();
    g->SetRange(0, 9);
    EXPECT_EQ(g->Series1()->count(), 0);
}

// The texts of the left axis as drawn.
QStringList drawnDepthLabels(TChildGraph* g) {
    QStringList texts;
    for (QGraphicsItem* item : g->Chart1()->scene()->items())
        if (auto* text = dynamic_cast<QGraphicsTextItem*>(item))
            if (text->toPlainText().contains(QRegularExpression("^\\d+\\D\\d\\d$")))
                texts << text->toPlainText();
    return texts;
}

TEST(GraphWindow, DepthLabelsUseTheReportsDecimalSeparator) {
    for (const char* name : {"de_DE", "en_US", "fi_FI"}) {
        SCOPED_TRACE(name);
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        auto main = OpenMain();
        tenDays();
        TChildGraph* g = main->GraphWindows().first();
        g->SetRange(0, 9);
        g->show();
        // Drawn once the chart has laid itself out.
        ASSERT_TRUE(WaitUntil([&] { return !drawnDepthLabels(g).isEmpty(); }, 5000));
        const QString separator = DataUnit::FormatDepth(1).mid(1, 1);
        const QStringList labels = drawnDepthLabels(g);
        for (const QString& label : labels)
            EXPECT_EQ(label.mid(label.size() - 3, 1), separator) << label.toStdString();
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

TEST(GraphWindow, TakesTheHandedOverRangeWhenCreated) {
    auto main = OpenMain(); // starts with NoData, which empties the tables
    tenDays();
    main->SetGraphRange(2, 4);
    TChildGraph* g = main->CreateGraphWindow();
    EXPECT_EQ(g->FirstDay(), 2);
    EXPECT_EQ(g->LastDay(), 4);
    EXPECT_EQ(g->Series1()->count(), 3);
    EXPECT_EQ(main->GraphFirstDay(), 0);
    EXPECT_EQ(main->GraphLastDay(), 0);
    // With no data the window keeps 0..0.
    main->NoDataExecute();
    main->SetGraphRange(2, 4);
    TChildGraph* empty = main->CreateGraphWindow();
    EXPECT_EQ(empty->FirstDay(), 0);
    EXPECT_EQ(empty->LastDay(), 0);
    EXPECT_EQ(main->GraphFirstDay(), 0);
}

TEST(GraphWindow, AllDaysOfAFullMemoryWithLegibleLabels) {
    auto main = OpenMain();
    Fixtures::LoadFullMemory();
    TChildGraph* g = main->GraphWindows().first();
    g->resize(900, 400);
    g->SetRange(0, DataUnit::DailyCount() - 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(g->Series1()->count(), DataUnit::DailyCount());
    const auto& labelled = g->LabelledSlots();
    ASSERT_GE(labelled.size(), 3u);
    EXPECT_LE(labelled.size(), 20u);
    EXPECT_EQ(g->BottomAxis()->count(), int(labelled.size()));
    // Every bar is drawn, however thin: the bar set has a cosmetic pen.
    EXPECT_EQ(g->Series1()->pen().widthF(), 0);
    main.reset();
    DataUnit::ClearTables();
}

TEST(GraphWindow, PrintsLandscapeAndRestoresTheOrientation) {
    auto main = OpenMain(); // starts with NoData, which empties the tables
    tenDays();
    TChildGraph* g = main->GraphWindows().first();
    g->SetRange(0, 9);
    const QString pdf = TestFolder() + "/graph.pdf";
    QPrinter* printer = main->Printer();
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdf);
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setPageOrientation(QPageLayout::Portrait);
    ScriptedPrompts prompts;
    prompts.expectPrinterSetup(true);
    Activate(*main, g);
    main->MnuPrintClick();
    const QString info = RunTool("pdfinfo", {pdf});
    const QRegularExpressionMatch size =
        QRegularExpression("Page size:\\s+([0-9.]+) x ([0-9.]+)").match(info);
    ASSERT_TRUE(size.hasMatch()) << info.toStdString();
    EXPECT_GT(size.captured(1).toDouble(), size.captured(2).toDouble()); // landscape
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+1\\n")));
    EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Portrait);
    const QString text = RunTool("pdftotext", {pdf, "-"});
    EXPECT_TRUE(text.contains("Daily Rainfall"));
    EXPECT_TRUE(text.contains("Inches"));

    // A printer that cannot start still gets its orientation back.
    QPrinter broken;
    broken.setOutputFormat(QPrinter::PdfFormat);
    broken.setOutputFileName("/nonexistent-folder/x.pdf");
    broken.setPageOrientation(QPageLayout::Portrait);
    EXPECT_THROW(g->DoPrint(&broken), OmbrexError);
    EXPECT_EQ(broken.pageLayout().orientation(), QPageLayout::Portrait);
}

TEST(GraphWindow, CopiesABitmapAndAScalableDrawing) {
    auto main = OpenMain(); // starts with NoData, which empties the tables
    tenDays();
    TChildGraph* g = main->GraphWindows().first();
    g->SetRange(0, 9);
    Activate(*main, g);
    main->MnuCopyClick();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasImage());
    const QImage image = qvariant_cast<QImage>(data->imageData());
    EXPECT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 100);
    const QByteArray svg = data->data("image/svg+xml");
    EXPECT_TRUE(svg.contains("<svg"));
    EXPECT_TRUE(svg.contains("Daily Rainfall"));
}

TEST(InfoWindow, ConnectedAndDisconnectedLooks) {
    auto main = OpenMain();
    TChildInfo* info = main->InfoWindows().first();
    EXPECT_EQ(info->size(), QSize(200, 255));
    EXPECT_EQ(info->NameLabel->text(), "----");
    EXPECT_EQ(info->StatusLabel->text(), "Not Connected");
    EXPECT_EQ(info->CapGauge->value(), 0);
    EXPECT_FALSE(info->Timer1->isActive());
    EXPECT_TRUE(info->NameLabel->font().bold());

    struct Case {
        const char* version;
        const char* memory;
        int capacity;
    };
    const Case cases[] = {{"125", "2 MB", 232106},
                          {"215", "256K", 10732},
                          {"305", "128K", 5356},
                          {"12", "128K", 5356},
                          {"", "128K", 5356}};
    for (const Case& c : cases) {
        main->SetDeviceName("Garden");
        main->SetLoggerVersion(c.version);
        main->SetBatteryText("3.6V");
        main->SetRecordCount(c.capacity / 2);
        info->EnableExecute();
        EXPECT_EQ(info->MemLabel->text(), c.memory) << c.version;
        EXPECT_EQ(info->CapGauge->maximum(), c.capacity) << c.version;
        EXPECT_EQ(info->CapGauge->value(), c.capacity / 2) << c.version;
        EXPECT_EQ(info->VerLabel->text(), c.version);
    }
    EXPECT_EQ(info->NameLabel->text(), "Garden");
    EXPECT_EQ(info->StatusLabel->text(), "Connected");
    EXPECT_EQ(info->BattLabel->text(), "3.6V");
    EXPECT_TRUE(info->Timer1->isActive());
    EXPECT_EQ(info->Timer1->interval(), 500);

    info->DisableExecute();
    for (QLabel* l : {info->NameLabel, info->ClockLabel, info->DateLabel, info->VerLabel,
                      info->MemLabel, info->BattLabel})
        EXPECT_EQ(l->text(), "----");
    EXPECT_EQ(info->CapGauge->value(), 0);
    EXPECT_FALSE(info->Timer1->isActive());

    // A window made while connected starts in the connected look.
    main->SetConnected(true);
    auto* second = new TChildInfo(main.get());
    EXPECT_EQ(second->StatusLabel->text(), "Connected");
    delete second;
}

TEST(InfoWindow, ClockRunsNinetySecondsBehind) {
    auto main = OpenMain();
    TChildInfo* info = main->InfoWindows().first();
    main->SetClockOffset(90.0 / 86400.0);
    info->EnableExecute();
    auto behind = [&] {
        const QTime shown = QTime::fromString(info->ClockLabel->text(), "hh:mm:ss AP");
        const QTime now = QTime::currentTime();
        int diff = shown.secsTo(now);
        if (diff < -43200)
            diff += 86400; // across midnight or noon, in twelve-hour text
        return diff % 43200;
    };
    EXPECT_NEAR(behind(), 90, 1);
    EXPECT_EQ(info->DateLabel->text(), ShortDateText(NowDateTime() - 90.0 / 86400.0));
    const QString first = info->ClockLabel->text();
    // It runs: a one-second tick shows within a few seconds even on a busy machine.
    EXPECT_TRUE(WaitUntil([&] { return info->ClockLabel->text() != first; }, 5000));
    EXPECT_NEAR(behind(), 90, 1);
}

TEST(InfoWindow, ClockText) {
    EXPECT_EQ(LoggerClockText(EncodeDateTime(2020, 1, 1, 0, 5, 9)), "12:05:09 AM");
    EXPECT_EQ(LoggerClockText(EncodeDateTime(2020, 1, 1, 13, 0, 0)), "01:00:00 PM");
    EXPECT_EQ(LoggerClockText(EncodeDateTime(2020, 1, 1, 12, 30, 0)), "12:30:00 PM");
}

TEST(GraphWindow, DraggingZoomsAndDraggingBackUndoes) {
    auto main = OpenMain();
    Fixtures::LoadFullMemory();
    TChildGraph* g = main->GraphWindows().first();
    g->resize(900, 400);
    g->SetRange(0, DataUnit::DailyCount() - 1);
    QCoreApplication::processEvents();
    QWidget* vp = g->ChartView()->viewport();
    const QRectF plot = g->Chart1()->plotArea();
    auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent e(type, at, vp->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(vp, &e);
    };
    const QPointF from(plot.left() + 10, plot.top() + 5);
    const QPointF to(plot.left() + 60, plot.bottom() - 5);
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::NoButton);
    QCoreApplication::processEvents();
    const double shown = g->BottomAxis()->max() - g->BottomAxis()->min();
    EXPECT_LT(shown, DataUnit::DailyCount() / 5.0);
    // The zoomed days get labels of their own, still without overlap.
    ASSERT_GE(g->LabelledSlots().size(), 2u);
    EXPECT_GE(g->LabelledSlots().front(), int(std::floor(g->BottomAxis()->min())));
    EXPECT_LT(g->LabelledSlots()[1] - g->LabelledSlots()[0], 200);

    send(QEvent::MouseButtonPress, to, Qt::LeftButton);
    send(QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
    send(QEvent::MouseMove, from, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, from, Qt::NoButton);
    QCoreApplication::processEvents();
    EXPECT_NEAR(g->BottomAxis()->max() - g->BottomAxis()->min(), DataUnit::DailyCount(), 1);
    main.reset();
    DataUnit::ClearTables();
}
