// The check sum field of a capture. Beyond not crashing: the same bytes give the same verdict
// whether they arrive in one piece or in two.
#include "data/CaptureStream.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = Fuzz::Bytes(data, size);
    CaptureStream::Create();
    CaptureStream::Append(bytes);
    const bool whole = CheckDownloadCrc();
    CaptureStream::Create();
    const qsizetype half = bytes.size() / 2;
    CaptureStream::Append(bytes.left(half));
    CaptureStream::Append(bytes.mid(half));
    if (CheckDownloadCrc() != whole)
        std::abort();
    CaptureStream::Release();
    return 0;
}
