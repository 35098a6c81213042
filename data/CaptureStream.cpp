#include "data/CaptureStream.h"

#include "data/Date_unit.h"
#include "data/crc_ccitt.h"

namespace {
QByteArray Stream;
bool StreamExists = false;
} // namespace

namespace CaptureStream {

void Create() {
    Stream = QByteArray();
    StreamExists = true;
}

void Append(const QByteArray& bytes) {
    if (!StreamExists)
        Create();
    Stream.append(bytes);
}

bool Exists() {
    return StreamExists;
}

const QByteArray& Bytes() {
    return Stream;
}

void Release() {
    Stream = QByteArray();
    StreamExists = false;
}

} // namespace CaptureStream

bool CheckDownloadCrc() {
    const QByteArray& bytes = CaptureStream::Bytes();
    const qsizetype bang = bytes.indexOf('!');
    const qsizetype covered = bang < 0 ? bytes.size() : bang;
    CrcReset();
    CrcUpdate(bytes.constData(), std::size_t(covered));
    CrcUpdate(0);
    CrcUpdate(0);
    const qsizetype after = bang < 0 ? 0 : bytes.size() - bang - 1;
    if (after <= 3)
        return true; // no CRC field
    if (after == 4)
        return false;
    const QString field = QString::fromLatin1(bytes.mid(bang + 1, 5));
    int32_t value = 0;
    return ReadWholeNumber(field, value) && value == int32_t(CrcValue());
}
