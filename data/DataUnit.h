#pragma once

#include "data/Date_unit.h"

#include <QString>
#include <cstdint>

struct TRainRecord {
    TDateTime DateTime = 0;
    int32_t Count = 0;
    QString Message; // at most 20 characters
};

namespace DataUnit {

extern const TDateTime PowerResetDate;    // 2002-01-01 00:00
extern const TDateTime SequenceErrorDate; // 2001-01-01 00:00
extern uint16_t BucketFactor;

void ClearTables();
int32_t EventCount();
int32_t DailyCount();
TRainRecord GetEvent(int32_t index, bool& outOfRange);
TRainRecord GetDaily(int32_t index, bool& outOfRange);
TDateTime StartTime();
void SetStartTime(TDateTime value);

void ParseDownload(const QString& loggerVersion); // reads and releases CaptureStream
int ParseRecordLine(const QString& line);         // ParseStatus 0..3
int ParseOldRecordLine(const QString& line);
void BuildDailyTable(TDateTime firstDay);
void FillGap(int32_t days);
void SaveDataFile(const QString& path);
QString FormatDepth(int32_t count); // Count x BucketFactor / 1000, two decimals

} // namespace DataUnit
