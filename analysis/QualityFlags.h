#pragma once

#include "analysis/RainSeries.h"
#include "data/DataUnit.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace Analysis {

// The letters a record can be flagged with, in the order they are written.
inline constexpr char kFlagLetters[] = "IDPHYMG";
inline constexpr char kFlagStart = 'I';    // tips just after the clock was set or memory cleared
inline constexpr char kFlagDownload = 'D'; // tips just before a download
inline constexpr char kFlagRate = 'P';     // a minute above the rate ceiling
inline constexpr char kFlagHour = 'H';     // an hour above its ceiling
inline constexpr char kFlagDay = 'Y';      // a day above its ceiling
inline constexpr char kFlagMarker = 'M';   // next to a power reset or sequence error
inline constexpr char kFlagGap = 'G';      // a "not logging" gap

// Ceilings and windows; a station's own values replace these defaults.
struct QualitySettings {
    int32_t StartWindowMinutes = 5;
    int32_t DownloadWindowMinutes = 10;
    double RateCeilingMmH = 300;
    double HourCeilingMm = 120;
    double DayCeilingMm = 500;
    double TipTimeConstantS = 0; // 0 = no dynamic calibration
};

// Times known beside the tables (an archived station's downloads and clock settings). The
// tables' own segment edges are always used as well.
struct QualityContext {
    std::vector<TDateTime> Downloads;
    std::vector<TDateTime> ClockSettings;
};

// Why a letter was set, for lists and reports.
QString FlagReason(char letter, const QualitySettings& settings = {});

// Flags per record of `records` (the same index), each a string of letters in kFlagLetters order;
// empty for a record without flags. A segment starts at the first record or a "Logging again"
// record (the clock was set or the memory cleared) and ends at its last record before a "Not
// logging" record or the table's end (a download).
std::vector<std::string> FlagRecords(const std::vector<TRainRecord>& records, double mmPerTip,
                                     const QualitySettings& settings = {},
                                     const QualityContext& context = {});
// The same over DataUnit's event table.
std::vector<std::string> FlagEvents(const QualitySettings& settings = {},
                                    const QualityContext& context = {});
std::vector<TRainRecord> EventTableCopy();

} // namespace Analysis
