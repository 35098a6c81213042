#include "tests/support/ScriptedPrompts.h"
#include "tests/views/MainWindowSupport.h"
#include "views/HyetographBins.h"
#include "views/LineView.h"
#include "views/TChildHyetograph.h"

#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QPrinter>
#include <QRegularExpression>
#include <QTest>
#include <QValueAxis>
#include <gtest/gtest.h>

#include <cmath>

using Analysis::MinuteNumber;

namespace {

const TDateTime kDay = EncodeDate(2009, 3, 1);

TDateTime At(int day, int hour, int minute) {
    return kDay + day + EncodeTime(hour, minute);
}

// Two logged stretches around a "not logging" gap of a day and a half, a burst of one-minute rain
// in each and two records in one minute.
void GapTable() {
    std::vector<Fixtures::Event> events{{At(0, 8, 0), 0}};
    for (int m = 0; m < 47; ++m)
        events.push_back({At(0, 9, 13 + m), 1 + m % 4});
    events.push_back({At(0, 11, 2), 3});
    events.push_back({At(0, 11, 2), 2});
    events.push_back({At(0, 19, 59), 1});
    events.push_back({At(0, 20, 0), 0, "Not logging"});
    events.push_back({At(2, 6, 0), 0, "Logging again"});
    for (int m = 0; m < 95; m += 2)
        events.push_back({At(2, 6, 30 + m), 2});
    events.push_back({At(2, 18, 0), 0});
    Fixtures::LoadEvents(events);
}

HyetographInput InputFromTables() {
    return {RainSeriesFromEvents(), LoggedSpansFromEvents(), {}, MillimetresPerTip()};
}

struct RangeCase {
    TDateTime from, to;
    int32_t interval;
};

TEST(HyetographBins, SumsAndCumulativeEqualTheRainSeries) {
    GapTable();
    DataUnit::BucketFactor = 200;
    const HyetographInput input = InputFromTables();
    const RangeCase cases[] = {
        {At(0, 0, 0), At(3, 0, 0), 60},   // the whole record, across the gap
        {At(0, 9, 7), At(0, 11, 3), 10},  // off the grid at both ends
        {At(0, 18, 0), At(2, 8, 0), 15},  // across the gap
        {At(0, 9, 0), At(0, 10, 0), 1},   // minute by minute
        {At(0, 0, 0), At(4, 0, 0), 1440}, // days
    };
    for (const RangeCase& c : cases) {
        const int64_t from = MinuteNumber(c.from), to = MinuteNumber(c.to);
        const auto bins = IntervalSums(input, from, to, c.interval);
        ASSERT_FALSE(bins.empty());
        EXPECT_LE(bins.front().Start, from);
        EXPECT_GE(bins.back().Start + c.interval, to);
        double running = 0;
        for (const HyetographBin& b : bins) {
            EXPECT_EQ(b.Start % c.interval, 0);
            double expected = 0;
            for (const RainMinute& m : input.Series) {
                const int64_t minute = MinuteNumber(m.Minute);
                if (minute >= b.Start && minute < b.Start + c.interval)
                    expected += m.Tips * 0.2;
            }
            running += expected;
            EXPECT_NEAR(b.DepthMm, expected, 1e-9)
                << LoggerTimeText(Analysis::MinuteTime(b.Start)).toStdString();
            EXPECT_NEAR(b.CumulativeMm, running, 1e-9);
            // The gap's intervals are not logged: never drawn as zero rain.
            const bool inGap = b.Start >= MinuteNumber(At(0, 20, 1)) &&
                               b.Start + c.interval <= MinuteNumber(At(2, 6, 0));
            const bool outside = b.Start + c.interval <= MinuteNumber(At(0, 8, 0)) ||
                                 b.Start > MinuteNumber(At(2, 18, 0));
            if (inGap || outside)
                EXPECT_FALSE(b.Covered)
                    << LoggerTimeText(Analysis::MinuteTime(b.Start)).toStdString();
            else
                EXPECT_TRUE(b.Covered)
                    << LoggerTimeText(Analysis::MinuteTime(b.Start)).toStdString();
        }
    }
    const auto gaps =
        UncoveredStretches(input.Spans, MinuteNumber(At(0, 0, 0)), MinuteNumber(At(3, 0, 0)));
    ASSERT_EQ(gaps.size(), 3u);
    EXPECT_EQ(gaps[1].first, MinuteNumber(At(0, 20, 1)));
    EXPECT_EQ(gaps[1].second, MinuteNumber(At(2, 6, 0)));
    DataUnit::BucketFactor = 10;
}

TEST(HyetographBins, DecimationKeepsEveryPeakAndTheTotal) {
    std::vector<HyetographBin> bins(10000);
    double total = 0;
    for (size_t i = 0; i < bins.size(); ++i) {
        bins[i].Start = int64_t(i);
        bins[i].DepthMm = (i == 4321) ? 9.0 : (i % 7) * 0.1;
        bins[i].Covered = i < 5000;
        total += bins[i].DepthMm;
        bins[i].CumulativeMm = total;
    }
    const auto shown = DecimateBins(bins, 800);
    EXPECT_LE(shown.size(), 800u);
    double highest = 0;
    for (const HyetographBin& b : shown)
        highest = std::max(highest, b.DepthMm);
    EXPECT_EQ(highest, 9.0);
    EXPECT_DOUBLE_EQ(shown.back().CumulativeMm, total);
    EXPECT_TRUE(shown.front().Covered);
    EXPECT_FALSE(shown.back().Covered);
    EXPECT_EQ(AutoIntervalMinutes(365 * 1440, 400), 1440);
    EXPECT_EQ(AutoIntervalMinutes(6 * 60, 400), 1);
    EXPECT_EQ(AutoIntervalMinutes(24 * 60, 400), 5);
}

TChildHyetograph* OpenHyetograph(TFMain& main) {
    main.Action("MnuHyetograph")->trigger();
    return qobject_cast<TChildHyetograph*>(main.ActiveChild());
}

TEST(HyetographWindow, OpensLikeTheOtherChildrenAndZoomsBack) {
    auto main = OpenMain();
    GapTable();
    main->RefreshDataViews();
    TChildHyetograph* h = OpenHyetograph(*main);
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(main->Action("MnuPrint")->isEnabled());
    EXPECT_TRUE(main->Action("MnuCopy")->isEnabled());
    // A second click brings the same window forward.
    main->Action("MnuHyetograph")->trigger();
    EXPECT_EQ(main->ActiveChild(), h);

    h->ShowRange(At(0, 18, 0), At(2, 8, 0));
    const QString gap = h->ReadoutAt(At(1, 12, 0));
    EXPECT_TRUE(gap.contains("not logging")) << gap.toStdString();
    const QString rain = h->ReadoutAt(At(2, 7, 0));
    EXPECT_TRUE(rain.contains("cumulative")) << rain.toStdString();
    // The collector's unit: inches at factor 10.
    if (const QByteArray shot = qgetenv("OMBREX_SHOT_GAP"); !shot.isEmpty()) {
        h->showMaximized();
        SpinFor(300);
        main->grab().save(QString::fromLocal8Bit(shot));
    }
    // The gap is a hatched band with no bar in it.
    const auto& gaps = h->Layer()->Boxes(HyetographLayer::Gap);
    ASSERT_EQ(gaps.size(), 1u);
    for (const HyetographLayer::Box& bar : h->Layer()->Boxes(HyetographLayer::Bar))
        EXPECT_TRUE(bar.x1 <= gaps[0].x0 || bar.x0 >= gaps[0].x1);
    auto* depth = qobject_cast<QValueAxis*>(h->Chart()->axes(Qt::Vertical).first());
    EXPECT_TRUE(depth->titleText().contains("(in)")) << depth->titleText().toStdString();

    // Dragging across the chart zooms in; Back returns.
    QWidget* viewport = h->ChartView()->viewport();
    const QRectF plot = h->Chart()->plotArea();
    const int y = int(plot.center().y());
    QTest::mousePress(viewport, Qt::LeftButton, {},
                      QPoint(int(plot.left() + plot.width() * 0.25), y));
    QTest::mouseRelease(viewport, Qt::LeftButton, {},
                        QPoint(int(plot.left() + plot.width() * 0.5), y));
    EXPECT_GT(h->RangeFrom(), At(0, 18, 0));
    EXPECT_LT(h->RangeTo(), At(2, 8, 0));
    EXPECT_TRUE(h->ZoomBack());
    EXPECT_NEAR(h->RangeFrom(), At(0, 18, 0), 1e-6);
    EXPECT_FALSE(h->ZoomBack());

    // Days picked in the text window's daily report carry over.
    TChildText* text = main->TextWindows().first();
    text->DailyBtnClick();
    text->Memo1()->selectAll();
    text->GraphClick();
    EXPECT_NEAR(h->RangeFrom(), kDay, 1e-6);
    EXPECT_NEAR(h->RangeTo(), kDay + 3, 1e-6);
    Activate(*main, h);

    // An interval chosen by the user holds; the mouse over the chart reads out.
    h->SetIntervalMinutes(30);
    EXPECT_EQ(h->IntervalMinutes(), 30);
    QTest::mouseMove(viewport, QPoint(int(plot.left() + plot.width() * 0.9), y));
    EXPECT_FALSE(h->Readout()->text().isEmpty());
}

TEST(HyetographWindow, PrintsLandscapeWithItsAxisTitlesAndCopiesBothPictures) {
    auto main = OpenMain();
    GapTable();
    DataUnit::BucketFactor = 200;
    TChildHyetograph* h = OpenHyetograph(*main);
    h->ShowRange(At(0, 9, 0), At(0, 12, 0));
    const QString pdf = TestFolder() + "/hyetograph.pdf";
    QPrinter* printer = main->Printer();
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdf);
    printer->setPageOrientation(QPageLayout::Portrait);
    ScriptedPrompts prompts;
    prompts.expectPrinterSetup(true);
    Activate(*main, h);
    main->MnuPrintClick();
    const QString info = RunTool("pdfinfo", {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+1\\n"))) << info.toStdString();
    const QString text = RunTool("pdftotext", {pdf, "-"});
    EXPECT_TRUE(text.contains("Depth per 5 min (mm)")) << text.toStdString();
    EXPECT_TRUE(text.contains("Cumulative depth (mm)"));
    EXPECT_TRUE(text.contains("Time"));
    EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Portrait);

    QGuiApplication::clipboard()->clear();
    main->MnuCopyClick();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasImage());
    EXPECT_TRUE(data->data("image/svg+xml").contains("<svg"));
    DataUnit::BucketFactor = 10;
}

TEST(HyetographWindow, ShowsAChosenStormWithItsI30Window) {
    auto main = OpenMain();
    // A summer storm on a 0.2 mm bucket: a slow start, a 25-minute burst, a long tail.
    std::vector<Fixtures::Event> events{{At(0, 8, 0), 0}};
    for (int m = 0; m < 60; m += 6)
        events.push_back({At(0, 14, m), 1});
    for (int m = 0; m < 25; ++m)
        events.push_back({At(0, 15, m), 2 + (m > 8 && m < 18 ? 4 : 0)});
    for (int m = 30; m < 150; m += 4)
        events.push_back({At(0, 15, 0) + m / 1440.0, 1});
    events.push_back({At(1, 8, 0), 0});
    Fixtures::LoadEvents(events);
    DataUnit::BucketFactor = 200;
    main->RefreshDataViews();
    TChildHyetograph* h = OpenHyetograph(*main);
    h->showMaximized();

    Analysis::Storm storm;
    storm.Start = At(0, 14, 0);
    storm.End = At(0, 17, 26);
    storm.I30Start = At(0, 15, 0);
    h->ShowStorm(storm);
    EXPECT_LT(h->RangeFrom(), storm.Start);
    EXPECT_GT(h->RangeTo(), storm.End);
    ASSERT_FALSE(h->Storms().empty());
    EXPECT_EQ(MinuteNumber(h->Storms().front().I30Start), MinuteNumber(At(0, 15, 0)));
    // Minute by minute, the burst's minutes hold the storm's largest depth.
    h->SetIntervalMinutes(1);
    double highest = 0;
    for (const HyetographBin& b : h->Bins())
        highest = std::max(highest, b.DepthMm);
    EXPECT_NEAR(highest, 6 * 0.2, 1e-9);
    h->SetIntervalMinutes(0);

    if (const QByteArray shot = qgetenv("OMBREX_SHOT"); !shot.isEmpty()) {
        SpinFor(300);
        main->grab().save(QString::fromLocal8Bit(shot));
    }
    DataUnit::BucketFactor = 10;
}

} // namespace
