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
extern uint16_t BucketFactor;             // thousandths of the display unit per tip; 10 at start

// Only this many characters of a line are read; the rest of a longer line is skipped, so any
// input, however malformed, costs memory in proportion to its size.
constexpr qsizetype MaxLineLength = 65536;

// ParseStatus values.
enum : int { ParseOk = 0, ParseBadDate = 1, ParseBadCount = 2, ParseTooShort = 3 };

void ClearTables();
int32_t EventCount();
int32_t DailyCount();
// Copies; outOfRange is set (and an empty record returned) when index is not in the table.
TRainRecord GetEvent(int32_t index, bool& outOfRange);
TRainRecord GetDaily(int32_t index, bool& outOfRange);
TDateTime StartTime();
void SetStartTime(TDateTime value);
// Appends one record to the EventTable as the parser does (also for building tables in tests).
void AppendEvent(const TRainRecord& record);
void ReserveEvents(qsizetype count);

// Parses CaptureStream up to its "!" into the EventTable (start record, records, end record at
// the present time), sets StartTime and releases CaptureStream. On any line error both tables
// are emptied and "There were " + n + " errors processing data!" is shown (Prompts::ShowError).
// The third version character selects the record format: '4' or below (a missing character
// counts as a blank, so also a short version text) is the old format, above it the new one.
void ParseDownload(const QString& loggerVersion);
// The same with the end record at endTime (a capture read back from disk ends when it was written).
void ParseDownload(const QString& loggerVersion, TDateTime endTime);
// A new-format line (it may carry its line end): "MM/dd/yy hh:mm" + separator + count.
// Accepted with 16 characters or more once its line end is set aside; 'M' message lines need 19.
int ParseRecordLine(const QString& line); // ParseStatus 0..3
// An old-format line ("MM/dd hh:mm cccc", no year) rewritten with the running year.
int ParseOldRecordLine(const QString& line);
// The running year of old-format lines starts at the start time's year (ParseDownload does this
// at the start-time line); the first line after it never rolls the year over.
void StartOldFormatYear(TDateTime startTime);
void BuildDailyTable(TDateTime firstDay);
void FillGap(int32_t days);

// Writes the EventTable as a data file. When the file exists, asks (Prompts::Confirm)
// "File exists, do you want to append to it?" and then "Do you want to overwrite the file?";
// declining both writes nothing. The old file is replaced only once the complete new content
// (for an append: the old bytes followed by the new lines) is written; a failure throws
// OmbrexError naming the file and the system's reason, and the old file stays as it was.
void SaveDataFile(const QString& path);
// One data-file line without its line end: "mm/dd/yy,hh:mm," + Count / 100 with two decimals.
QString DataFileLine(const TRainRecord& record);

// Count x BucketFactor / 1000 in floating point, fixed with two decimals, at most 7 significant
// digits (exponent form beyond), with the locale's decimal separator.
QString FormatDepth(int32_t count);
// The display unit is inches exactly when the factor is 10; every other factor means millimetres.
bool IsInches();

} // namespace DataUnit
