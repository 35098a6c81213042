#pragma once

#include "data/DataFiles.h"

#include <QByteArray>
#include <QString>

// The three kinds of file that hold a logger's records, told apart by their content (a user's
// file names and extensions say little: a Tarnell file and a version 2.0 data file are both
// ".csv"), and one way to read any of them into the tables.
namespace RecordFiles {

enum class Kind {
    DataFile,   // "mm/dd/yy,hh:mm,n.nn" lines, no check sum
    Tarnell,    // the companion app's file: data-file lines between a header and "!"
    RawCapture, // the logger's own download text ("download.txt"): header, start time, "!"
    Unknown,
};

// From the file's first bytes (a few kilobytes are plenty).
Kind DetectKind(const QByteArray& head);
Kind DetectFileKind(const QString& path); // Unknown also when the file cannot be read
QString KindName(Kind kind);

// A raw capture into the tables exactly as a download is parsed (its records in the format that
// the version's third character selects), with the end record at endTime: a capture read from
// disk ends when its file was written, not now. crcFailed from the capture's own check field.
DataFiles::ReadResult ReadRawCapture(const QString& path, const QString& loggerVersion);

// Any of the three kinds into the tables; failure is set for an unknown or unreadable file.
DataFiles::ReadResult ReadRecordFile(const QString& path, const QString& loggerVersion,
                                     Kind* kind = nullptr);

} // namespace RecordFiles
