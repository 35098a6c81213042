#include "data/DataUnit.h"

#include <QLocale>
#include <cmath>
#include <vector>

namespace DataUnit {

const TDateTime PowerResetDate = EncodeDate(2002, 1, 1);
const TDateTime SequenceErrorDate = EncodeDate(2001, 1, 1);
uint16_t BucketFactor = 10;

namespace {

std::vector<TRainRecord> EventTable;
std::vector<TRainRecord> DailyTable;
TDateTime StartTimeValue = 0;

double Day(TDateTime value) {
    return std::trunc(value);
}

TRainRecord Copy(const std::vector<TRainRecord>& table, int32_t index, bool& outOfRange) {
    outOfRange = index < 0 || size_t(index) >= table.size();
    return outOfRange ? TRainRecord{} : table[size_t(index)];
}

} // namespace

void ClearTables() {
    // Swap with empty vectors so a large download gives its memory back.
    std::vector<TRainRecord>().swap(EventTable);
    std::vector<TRainRecord>().swap(DailyTable);
}

int32_t EventCount() {
    return int32_t(EventTable.size());
}
int32_t DailyCount() {
    return int32_t(DailyTable.size());
}

TRainRecord GetEvent(int32_t index, bool& outOfRange) {
    return Copy(EventTable, index, outOfRange);
}

TRainRecord GetDaily(int32_t index, bool& outOfRange) {
    return Copy(DailyTable, index, outOfRange);
}

TDateTime StartTime() {
    return StartTimeValue;
}
void SetStartTime(TDateTime value) {
    StartTimeValue = value;
}

void AppendEvent(const TRainRecord& record) {
    EventTable.push_back(record);
}

void ReserveEvents(qsizetype count) {
    if (count > 0)
        EventTable.reserve(EventTable.size() + size_t(count));
}

void FillGap(int32_t days) {
    if (days < 0 || days > 364) {
        DailyTable.push_back({SequenceErrorDate, 0, {}});
        return;
    }
    const double last = DailyTable.empty() ? 0 : Day(DailyTable.back().DateTime);
    for (int32_t i = 1; i <= days; ++i)
        DailyTable.push_back({last + i, 0, {}});
}

void BuildDailyTable(TDateTime firstDay) {
    std::vector<TRainRecord>().swap(DailyTable);
    // Usually one record per day plus the gaps between; the estimate avoids most regrowth.
    DailyTable.reserve(EventTable.size() / 4 + 16);
    DailyTable.push_back({Day(firstDay), 0, {}});
    for (const TRainRecord& e : EventTable) {
        const TDateTime current = DailyTable.back().DateTime;
        if (Day(e.DateTime) > Day(current) && current != PowerResetDate &&
            e.DateTime != PowerResetDate) {
            const double gap = Day(e.DateTime - current) - 1;
            // Far outside the 32-bit range is as much a sequence error as 365 days.
            FillGap(gap > 1e9 ? int32_t(365) : int32_t(gap));
        }
        TRainRecord& last = DailyTable.back();
        if (Day(last.DateTime) == Day(e.DateTime) && e.DateTime != PowerResetDate)
            last.Count = int32_t(uint32_t(last.Count) + uint32_t(e.Count));
        else
            DailyTable.push_back({Day(e.DateTime), e.Count, {}});
    }
}

QString FormatDepth(int32_t count) {
    // Formed in 64 bits: a 32-bit product would wrap into a wrong depth for huge sums.
    const int64_t product = int64_t(count) * int64_t(BucketFactor);
    const double depth = double(product) / 1000.0;
    const double magnitude = std::fabs(depth);
    QString text;
    if (magnitude >= 1e7) {
        text = QString::number(depth, 'E', 6);
    } else {
        // Seven significant digits at most, then padded to two decimals.
        const int whole = magnitude < 1 ? 1 : int(std::floor(std::log10(magnitude))) + 1;
        const int decimals = std::min(2, 7 - whole);
        text = QString::number(depth, 'f', decimals);
        if (decimals == 1)
            text += QLatin1Char('0');
        else if (decimals == 0)
            text += QStringLiteral(".00");
    }
    const QString point = QLocale().decimalPoint();
    if (point != QStringLiteral("."))
        text.replace(QLatin1Char('.'), point);
    return text;
}

bool IsInches() {
    return BucketFactor == 10;
}

} // namespace DataUnit
