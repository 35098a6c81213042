#include "data/DataUnit.h"

#include "ui/OmbrexError.h"
#include "ui/Prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>
#include <cstdlib>

namespace DataUnit {

namespace {

QString Quoted(const QString& path) {
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

[[noreturn]] void Fail(const QString& what, const QString& path, const QString& reason) {
    throw OmbrexError(what + QLatin1Char(' ') + Quoted(path) + QStringLiteral(". ") + reason);
}

// A short write is followed up until the system names its reason.
void WriteAll(QSaveFile& out, const QByteArray& bytes, const QString& path) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 wrote = out.write(bytes.constData() + done, bytes.size() - done);
        if (wrote <= 0)
            Fail(QStringLiteral("Cannot write file"), path, out.errorString());
        done += qsizetype(wrote);
    }
}

// The old content goes first into the new file, so an append that fails leaves the old intact.
void CopyOldContent(const QString& path, QSaveFile& out) {
    QFile old(path);
    if (!old.open(QIODevice::ReadOnly))
        Fail(QStringLiteral("Cannot open file"), path, old.errorString());
    QByteArray chunk;
    while (!(chunk = old.read(1 << 16)).isEmpty())
        WriteAll(out, chunk, path);
    if (old.error() != QFileDevice::NoError)
        Fail(QStringLiteral("Cannot read file"), path, old.errorString());
}

// "mm/dd/yy,hh:mm," + Count / 100, in whole numbers so no rounding can touch the digits.
void AppendLine(QByteArray& out, const TRainRecord& record, bool lineEnd = true) {
    const TDateParts p = DecodeDateTime(record.DateTime);
    const int64_t count = record.Count;
    const int64_t magnitude = count < 0 ? -count : count;
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%02d/%02d/%02d,%02d:%02d,%s%lld.%02lld%s",
                                p.month, p.day, std::abs(p.year % 100), p.hour, p.minute,
                                count < 0 ? "-" : "", static_cast<long long>(magnitude / 100),
                                static_cast<long long>(magnitude % 100), lineEnd ? "\r\n" : "");
    out.append(text, n);
}

} // namespace

QString DataFileLine(const TRainRecord& record) {
    QByteArray line;
    AppendLine(line, record, false);
    return QString::fromLatin1(line);
}

void SaveDataFile(const QString& path) {
    const QFileInfo info(path);
    bool append = false;
    if (info.exists() && !info.isDir()) {
        if (Prompts::Confirm(QStringLiteral("File exists, do you want to append to it?")))
            append = true;
        else if (!Prompts::Confirm(QStringLiteral("Do you want to overwrite the file?")))
            return;
        // The new file replaces the old by renaming, which a write-protected file would not
        // stop; ask the system whether the file itself may be written.
        QFile existing(path);
        if (!existing.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
            Fail(QStringLiteral("Cannot open file"), path, existing.errorString());
    }
    // Written beside the old file and put in its place only when complete.
    QSaveFile out(path);
    // Unbuffered, so a failing write reports the system's reason (a disk full, a size limit).
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        Fail(QStringLiteral("Cannot create file"), path, out.errorString());
    if (append)
        CopyOldContent(path, out);
    QByteArray buffer;
    buffer.reserve((1 << 16) + 64);
    const int32_t count = EventCount();
    for (int32_t i = 0; i < count; ++i) {
        bool outOfRange = false;
        AppendLine(buffer, GetEvent(i, outOfRange));
        if (buffer.size() >= (1 << 16) || i + 1 == count) {
            WriteAll(out, buffer, path);
            buffer.clear();
        }
    }
    if (!out.commit())
        Fail(QStringLiteral("Cannot write file"), path, out.errorString());
}

} // namespace DataUnit
