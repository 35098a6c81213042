#include "views/GraphScale.h"
#include "views/TextPos.h"

#include <QSet>
#include <gtest/gtest.h>

TEST(SelectionToDayRange, LinesOfTheSelection) {
    struct Case {
        const char* what;
        TextPos start, end;
        int32_t first, last;
    };
    const Case cases[] = {
        {"lines 3 to 5, partly", {3, 2}, {5, 4}, 3, 5},
        {"lines 3 to 5, whole", {3, 0}, {5, 15}, 3, 5},
        {"ending with the line break after line 5", {3, 0}, {6, 0}, 3, 5},
        {"within one line", {4, 1}, {4, 6}, 4, 4},
        {"only a line break", {4, 15}, {5, 0}, 4, 4},
        {"backwards", {5, 4}, {3, 2}, 3, 5},
        {"all of 10 lines", {0, 0}, {9, 15}, 0, 9},
    };
    for (const Case& c : cases) {
        const DayRange r = SelectionToDayRange(c.start, c.end);
        EXPECT_EQ(r.first, c.first) << c.what;
        EXPECT_EQ(r.last, c.last) << c.what;
    }
}

TEST(GraphScale, ValueAxisIsRoundAndCoversTheHighestBar) {
    struct Case {
        double highest, max, step;
    };
    const Case cases[] = {{0, 1, 0.25},     {0.01, 0.01, 0.01}, {0.03, 0.03, 0.01},
                          {0.37, 0.4, 0.1}, {1.23, 1.5, 0.5},   {17.5, 20, 5},
                          {250, 250, 50}};
    for (const Case& c : cases) {
        const ValueScale s = ChooseValueScale(c.highest);
        EXPECT_NEAR(s.max, c.max, 1e-9) << c.highest;
        EXPECT_NEAR(s.step, c.step, 1e-9) << c.highest;
        EXPECT_GE(s.max, c.highest);
        EXPECT_GE(s.step, 0.01);
    }
}

TEST(GraphScale, LabelsNeverOverlapAndStayOnTheirDays) {
    // 2,000 days on 600 pixels with 60-pixel labels: at most 10 labels, evenly spaced.
    const std::vector<int> all = ChooseLabelledSlots(0, 1999, 600, 60);
    ASSERT_FALSE(all.empty());
    EXPECT_LE(all.size(), 10u);
    EXPECT_GE(all.size(), 8u);
    for (size_t i = 1; i < all.size(); ++i)
        EXPECT_GE((all[i] - all[i - 1]) * 600.0 / 2000, 60.0);
    // Few days: every one labelled.
    EXPECT_EQ(ChooseLabelledSlots(0, 4, 600, 60), std::vector<int>({0, 1, 2, 3, 4}));
    // A zoomed range labels the same days as a wider one that shares the step.
    const std::vector<int> zoomed = ChooseLabelledSlots(1000, 1999, 600, 60);
    for (int slot : zoomed)
        EXPECT_EQ(slot % (zoomed[1] - zoomed[0]), 0);
    EXPECT_TRUE(ChooseLabelledSlots(5, 4, 600, 60).empty());
    EXPECT_TRUE(ChooseLabelledSlots(0, 4, 0, 60).empty());
}

TEST(GraphScale, RepeatedLabelsAreMadeUnique) {
    const QStringList in = {"01/01/02", "06/01/09", "01/01/02", "01/01/02"};
    const QStringList out = MadeUnique(in);
    EXPECT_EQ(out.size(), 4);
    EXPECT_EQ(QSet<QString>(out.begin(), out.end()).size(), 4);
    for (qsizetype i = 0; i < in.size(); ++i)
        EXPECT_EQ(QString(out[i]).remove(QChar(0x200B)), in[i]);
}
