#pragma once

#include <QString>

// The table work of loading a data file and importing a companion-app file. The caller (the
// main window's commands) keeps the dialogs, the caption, the menu state and these messages:
// - errors > 0: "There were " + errors + " errors reading the data file" (plain message box);
// - crcFailed (import only): "The CRC check sum of the data file failed. Please check the data
//   carefully, there may be errors." (plain message box);
// - failure not empty: the file could not be opened or read; show it with the general error
//   display after the rest of the completion.
namespace DataFiles {

struct ReadResult {
    int errors = 0;  // lines that ParseRecordLine rejected
    QString failure; // empty: the file was read to its end
    bool crcFailed = false;
};

// ClearTables, every line through ParseRecordLine; without errors StartTime := record 0 and the
// daily table is built. Also after a read failure part-way the lines read so far stay.
ReadResult LoadDataFile(const QString& path);

// The integrity pass (CaptureStream + CheckDownloadCrc over the file's bytes), then
// ClearTables; the third line, when exactly 14 characters, as the start record; the record
// lines up to the first line holding "!"; an end record at the file's modification time; without
// errors StartTime := record 0 and the daily table is built. When the file cannot be opened at
// all, the tables are left untouched.
ReadResult ImportFile(const QString& path);

} // namespace DataFiles
