#include "tests/data/DataTestSupport.h"

namespace {

class DailyTable : public DataTest {};

void Add(TDateTime when, int32_t count) {
    DataUnit::AppendEvent({when, count, {}});
}

struct Day {
    TDateTime date;
    int32_t count;
};

void ExpectDays(const std::vector<Day>& expected) {
    const auto d = Dailies();
    ASSERT_EQ(d.size(), expected.size());
    for (size_t i = 0; i < d.size(); ++i) {
        EXPECT_EQ(d[i].DateTime, expected[i].date) << i << ": " << Text(d[i].DateTime);
        EXPECT_EQ(d[i].Count, expected[i].count) << i;
        EXPECT_TRUE(d[i].Message.isEmpty());
    }
}

TEST_F(DailyTable, GapsAreFilledWithZeroDays) {
    Add(At(2009, 3, 3, 10, 0), 2);
    Add(At(2009, 3, 3, 12, 0), 1);
    Add(At(2009, 3, 6, 9, 0), 4);
    Add(At(2009, 3, 6, 23, 59), 1);
    DataUnit::BuildDailyTable(At(2009, 3, 3, 8, 0));
    ExpectDays(
        {{At(2009, 3, 3), 3}, {At(2009, 3, 4), 0}, {At(2009, 3, 5), 0}, {At(2009, 3, 6), 5}});
}

TEST_F(DailyTable, FirstDayBeforeTheEvents) {
    Add(At(2009, 3, 3, 10, 0), 2);
    DataUnit::BuildDailyTable(At(2009, 3, 1, 17, 0));
    ExpectDays({{At(2009, 3, 1), 0}, {At(2009, 3, 2), 0}, {At(2009, 3, 3), 2}});
}

TEST_F(DailyTable, GapsBeyondAYearAreSequenceErrors) {
    const TDateTime first = At(2009, 1, 10, 10, 0);
    Add(first, 1);
    Add(first + 400, 2);
    DataUnit::BuildDailyTable(first);
    ExpectDays(
        {{At(2009, 1, 10), 1}, {DataUnit::SequenceErrorDate, 0}, {std::trunc(first + 400), 2}});

    // 364 days between two events are still filled; 365 are not.
    DataUnit::ClearTables();
    Add(first, 1);
    Add(first + 365, 1);
    DataUnit::BuildDailyTable(first);
    EXPECT_EQ(DataUnit::DailyCount(), 366);
    DataUnit::ClearTables();
    Add(first, 1);
    Add(first + 366, 1);
    DataUnit::BuildDailyTable(first);
    EXPECT_EQ(DataUnit::DailyCount(), 3);
}

TEST_F(DailyTable, PowerResetDaysStandAlone) {
    const TDateTime reset = DataUnit::PowerResetDate;
    Add(At(2001, 12, 28, 10, 0), 1);
    Add(reset, 2);
    Add(reset, 3);
    Add(At(2002, 1, 1, 8, 0), 4); // later the same day: added to the reset's record
    Add(At(2002, 1, 5, 9, 0), 1);
    DataUnit::BuildDailyTable(At(2001, 12, 28));
    // No zero days before or after the reset day.
    ExpectDays({{At(2001, 12, 28), 1}, {reset, 2}, {reset, 7}, {At(2002, 1, 5), 1}});
}

TEST_F(DailyTable, EarlierEventOpensAnEarlierRecord) {
    Add(At(2009, 5, 10, 10, 0), 1);
    Add(At(2009, 5, 8, 10, 0), 2);
    Add(At(2009, 5, 9, 10, 0), 3);
    DataUnit::BuildDailyTable(At(2009, 5, 10));
    ExpectDays({{At(2009, 5, 10), 1}, {At(2009, 5, 8), 2}, {At(2009, 5, 9), 3}});
}

TEST_F(DailyTable, AccessorsReturnCopiesAndFlagTheRange) {
    Add(At(2009, 5, 10, 10, 0), 1);
    DataUnit::BuildDailyTable(At(2009, 5, 10));
    bool outOfRange = false;
    TRainRecord copy = DataUnit::GetEvent(0, outOfRange);
    EXPECT_FALSE(outOfRange);
    copy.Count = 99;
    EXPECT_EQ(DataUnit::GetEvent(0, outOfRange).Count, 1);
    for (int32_t index : {DataUnit::EventCount(), -1, INT32_MAX}) {
        DataUnit::GetEvent(index, outOfRange);
        EXPECT_TRUE(outOfRange) << index;
    }
    DataUnit::GetDaily(DataUnit::DailyCount(), outOfRange);
    EXPECT_TRUE(outOfRange);
    DataUnit::GetDaily(0, outOfRange);
    EXPECT_FALSE(outOfRange);
    DataUnit::ClearTables();
    EXPECT_EQ(DataUnit::EventCount(), 0);
    EXPECT_EQ(DataUnit::DailyCount(), 0);
}

TEST_F(DailyTable, FormatDepth) {
    const struct {
        uint16_t factor;
        int32_t count;
        const char* text;
    } cases[] = {
        {254, 3, "0.76"},
        {254, 1, "0.25"},
        {254, 2, "0.51"},
        {10, 37, "0.37"},
        {10, 25, "0.25"},
        {500, 3, "1.50"},
        {10, 0, "0.00"},
        {100, 7, "0.70"},
        {254, 123456, "31357.82"},
        {500, 1999999, "999999.50"},     // 7 significant digits
        {500, 2000000, "1000000.00"},    // seven before the point
        {500, 30000000, "1.500000E+07"}, // beyond: exponent form
        {10, -250, "-2.50"},
    };
    for (const auto& c : cases) {
        DataUnit::BucketFactor = c.factor;
        EXPECT_EQ(DataUnit::FormatDepth(c.count), QString::fromLatin1(c.text))
            << c.factor << " x " << c.count;
    }
    DataUnit::BucketFactor = 254;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(DataUnit::FormatDepth(3), QStringLiteral("0,76"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    DataUnit::BucketFactor = 10;
    EXPECT_EQ(DataUnit::FormatDepth(123456), QStringLiteral("1234.56")); // no group separator
    EXPECT_TRUE(DataUnit::IsInches());
    DataUnit::BucketFactor = 100;
    EXPECT_FALSE(DataUnit::IsInches());
}

} // namespace
