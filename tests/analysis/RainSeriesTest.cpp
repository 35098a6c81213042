#include "AnalysisTestSupport.h"

#include "analysis/Storms.h"

using namespace Analysis;

namespace {

TDateTime At(int y, int mo, int d, int h, int mi) {
    return EncodeDateTime(y, mo, d, h, mi);
}

void Rain(TDateTime t, int32_t tips) {
    DataUnit::AppendEvent({t, tips, {}});
}
void Message(TDateTime t, const char* text) {
    DataUnit::AppendEvent({t, 0, QString::fromLatin1(text)});
}

} // namespace

TEST_F(AnalysisTest, TipDepthFollowsTheCollector) {
    const struct {
        uint16_t factor;
        double mm;
    } cases[] = {{10, 0.254}, {200, 0.2}, {100, 0.1}, {500, 0.5}, {1000, 1.0}};
    for (const auto& c : cases) {
        DataUnit::BucketFactor = c.factor;
        EXPECT_NEAR(MillimetresPerTip(), c.mm, 1e-15) << c.factor;
    }
}

TEST_F(AnalysisTest, SeriesLeavesOutMarkersAndEmptyRecordsSortsAndAddsMinutes) {
    Rain(At(2009, 3, 1, 10, 0), 0); // a start record
    Rain(At(2009, 3, 1, 10, 5), 2);
    Rain(At(2009, 3, 1, 10, 3), 1); // out of order
    Rain(At(2009, 3, 1, 10, 5), 3); // the same minute again
    Message(At(2009, 3, 1, 10, 6), "Low battery");
    const auto series = RainSeriesFromEvents();
    ASSERT_EQ(series.size(), 2u);
    EXPECT_EQ(series[0].Minute, At(2009, 3, 1, 10, 3));
    EXPECT_EQ(series[0].Tips, 1);
    EXPECT_EQ(series[1].Minute, At(2009, 3, 1, 10, 5));
    EXPECT_EQ(series[1].Tips, 5);
    EXPECT_FALSE(series[0].BreakBefore || series[1].BreakBefore);
}

TEST_F(AnalysisTest, PowerResetAndNotLoggingEndTheStorm) {
    struct Case {
        const char* name;
        void (*marker)();
    };
    const Case cases[] = {
        {"power reset", [] { Rain(DataUnit::PowerResetDate, 4); }},
        {"sequence error", [] { Rain(DataUnit::SequenceErrorDate, 0); }},
        {"not logging gap",
         [] {
             Message(At(2009, 3, 1, 10, 2), "Not logging");
             Message(At(2009, 3, 1, 10, 20), "Logging again");
         }},
    };
    for (const Case& c : cases) {
        Reset();
        Rain(At(2009, 3, 1, 10, 0), 1);
        Rain(At(2009, 3, 1, 10, 1), 1);
        c.marker();
        Rain(At(2009, 3, 1, 10, 30), 1);
        const auto storms = FindStorms(RainSeriesFromEvents(), MillimetresPerTip());
        ASSERT_EQ(storms.size(), 2u) << c.name;
        EXPECT_EQ(storms[0].Tips, 2) << c.name;
        EXPECT_EQ(storms[1].Tips, 1) << c.name; // the marker's own tips are no rain
        EXPECT_EQ(storms[1].Start, At(2009, 3, 1, 10, 30)) << c.name;
    }
}

TEST_F(AnalysisTest, LoggedSpansStopAtAGapAndResumeAfterIt) {
    Rain(At(2009, 1, 1, 0, 0), 0);
    Rain(At(2009, 1, 5, 10, 0), 2);
    Message(At(2009, 1, 11, 0, 0), "Not logging");
    Message(At(2009, 1, 21, 0, 0), "Logging again");
    Rain(DataUnit::PowerResetDate, 1);
    Rain(At(2009, 1, 25, 8, 0), 3);
    Rain(At(2009, 2, 1, 0, 0), 0);
    const auto spans = LoggedSpansFromEvents();
    ASSERT_EQ(spans.size(), 2u);
    EXPECT_EQ(spans[0].From, At(2009, 1, 1, 0, 0));
    EXPECT_EQ(spans[0].To, At(2009, 1, 11, 0, 0));
    EXPECT_EQ(spans[1].From, At(2009, 1, 21, 0, 0));
    EXPECT_EQ(spans[1].To, At(2009, 2, 1, 0, 0));
}
