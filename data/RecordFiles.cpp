#include "data/RecordFiles.h"

#include "data/CaptureStream.h"
#include "data/DataUnit.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

namespace RecordFiles {

namespace {

// "mm/dd/yy" + separator + "hh:mm": digits where the layout has digits.
bool LooksLikeTime(const QByteArray& line, char separator) {
    if (line.size() < 14)
        return false;
    static const char kShape[] = "99/99/99 99:99";
    for (int i = 0; i < 14; ++i) {
        const char c = line[i];
        if (i == 8) {
            if (c != separator)
                return false;
        } else if (kShape[i] == '9') {
            if (c < '0' || c > '9')
                return false;
        } else if (c != kShape[i]) {
            return false;
        }
    }
    return true;
}

QByteArray TrimLineEnd(QByteArray line) {
    while (!line.isEmpty() && (line.back() == '\r' || line.back() == '\n'))
        line.chop(1);
    return line;
}

} // namespace

Kind DetectKind(const QByteArray& head) {
    const QList<QByteArray> lines = head.split('\n');
    const bool hasBang = head.contains('!');
    if (lines.size() >= 3) {
        const QByteArray third = TrimLineEnd(lines[2]);
        if (LooksLikeTime(third, ',') && (hasBang || third.size() == 14))
            return Kind::Tarnell;
        if (LooksLikeTime(third, ' '))
            return Kind::RawCapture;
    }
    // A data file: its first line is already a record.
    const QByteArray first = TrimLineEnd(lines.value(0));
    if (LooksLikeTime(first, ',') && first.size() > 15 && first[14] == ',')
        return Kind::DataFile;
    return Kind::Unknown;
}

Kind DetectFileKind(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Kind::Unknown;
    return DetectKind(file.read(4096));
}

QString KindName(Kind kind) {
    switch (kind) {
    case Kind::DataFile:
        return QStringLiteral("data file");
    case Kind::Tarnell:
        return QStringLiteral("Tarnell file");
    case Kind::RawCapture:
        return QStringLiteral("raw download capture");
    case Kind::Unknown:
        break;
    }
    return QStringLiteral("not a data file");
}

DataFiles::ReadResult ReadRawCapture(const QString& path, const QString& loggerVersion) {
    DataFiles::ReadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.failure =
            QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString());
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.failure =
            QStringLiteral("Cannot read file \"%1\". %2").arg(path, file.errorString());
        return result;
    }
    DataUnit::ClearTables();
    CaptureStream::Create();
    CaptureStream::Append(bytes);
    result.crcFailed = !CheckDownloadCrc();
    const TDateTime written = FromQDateTime(QFileInfo(path).lastModified());
    DataUnit::ParseDownload(loggerVersion, written);
    if (DataUnit::EventCount() == 0)
        result.errors = 1; // the parse emptied the tables: its message said why
    bool out = false;
    const TRainRecord first = DataUnit::GetEvent(0, out);
    if (!out)
        DataUnit::BuildDailyTable(first.DateTime);
    return result;
}

DataFiles::ReadResult ReadRecordFile(const QString& path, const QString& loggerVersion,
                                     Kind* kindOut) {
    const Kind kind = DetectFileKind(path);
    if (kindOut)
        *kindOut = kind;
    switch (kind) {
    case Kind::DataFile:
        return DataFiles::LoadDataFile(path);
    case Kind::Tarnell:
        return DataFiles::ImportFile(path);
    case Kind::RawCapture:
        return ReadRawCapture(path, loggerVersion);
    case Kind::Unknown:
        break;
    }
    DataFiles::ReadResult result;
    QFileInfo info(path);
    result.failure = !info.exists()
                         ? QStringLiteral("\"%1\" does not exist").arg(path)
                         : QStringLiteral("\"%1\" is not a data file, a Tarnell file or a raw "
                                          "download capture")
                               .arg(path);
    return result;
}

} // namespace RecordFiles
