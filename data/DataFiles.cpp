#include "data/DataFiles.h"

#include "data/CaptureStream.h"
#include "data/DataUnit.h"
#include "data/LineReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace DataFiles {

namespace {

QString FailureText(const QString& what, const QFile& file) {
    return what + QStringLiteral(" \"") + QDir::toNativeSeparators(file.fileName()) +
           QStringLiteral("\". ") + file.errorString();
}

void BuildWhenClean(const ReadResult& result) {
    bool outOfRange = false;
    const TRainRecord first = DataUnit::GetEvent(0, outOfRange);
    if (result.errors > 0 || outOfRange)
        return;
    DataUnit::SetStartTime(first.DateTime);
    DataUnit::BuildDailyTable(first.DateTime);
}

// Lines are about 20 bytes; reserving from the size avoids regrowing the table of a full logger
// memory, and a huge file of anything else reserves no more than that.
void ReserveFor(const QFile& file) {
    DataUnit::ReserveEvents(qsizetype(std::min<qint64>(file.size() / 20, 300000)) + 2);
}

// Opens a file for reading line by line, with the tables reserved for what it can hold.
bool openLines(QFile& file, ReadResult& result) {
    if (!file.open(QIODevice::ReadOnly)) {
        result.failure = FailureText(QStringLiteral("Cannot open file"), file);
        return false;
    }
    ReserveFor(file);
    return true;
}

} // namespace

ReadResult LoadDataFile(const QString& path) {
    const InvalidDateNoticeOnce notice;
    ReadResult result;
    DataUnit::ClearTables();
    QFile file(path);
    if (!openLines(file, result))
        return result;
    LineReader reader(file, DataUnit::MaxLineLength);
    QString line;
    while (reader.Next(line))
        if (DataUnit::ParseRecordLine(line) != DataUnit::ParseOk)
            ++result.errors;
    if (reader.Failed())
        result.failure = FailureText(QStringLiteral("Cannot read file"), file);
    file.close();
    BuildWhenClean(result);
    return result;
}

ReadResult ImportFile(const QString& path) {
    const InvalidDateNoticeOnce notice;
    ReadResult result;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            result.failure = FailureText(QStringLiteral("Cannot open file"), file);
            return result;
        }
        CaptureStream::Create();
        CaptureStream::Append(file.readAll());
        if (file.error() != QFileDevice::NoError) {
            CaptureStream::Release();
            result.failure = FailureText(QStringLiteral("Cannot read file"), file);
            return result;
        }
        result.crcFailed = !CheckDownloadCrc();
        CaptureStream::Release();
    }

    DataUnit::ClearTables();
    QFile file(path);
    if (!openLines(file, result))
        return result;
    LineReader reader(file, DataUnit::MaxLineLength);
    QString line;
    for (int i = 1; i <= 3 && reader.Next(line); ++i)
        if (i == 3 && line.size() == 14)
            DataUnit::ParseRecordLine(line + QStringLiteral(",0.00")); // status not counted
    while (reader.Next(line)) {
        if (line.contains(QLatin1Char('!')))
            break;
        if (DataUnit::ParseRecordLine(line) != DataUnit::ParseOk)
            ++result.errors;
    }
    if (reader.Failed())
        result.failure = FailureText(QStringLiteral("Cannot read file"), file);
    file.close();

    const TDateTime modified = FromQDateTime(QFileInfo(path).lastModified());
    DataUnit::ParseRecordLine(LoggerTimeText(modified, QLatin1Char(',')) + QStringLiteral(",0.00"));
    BuildWhenClean(result);
    return result;
}

} // namespace DataFiles
