// A download capture as the line delivers it, through the check sum and both record formats.
#include "data/CaptureStream.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fuzz::InstallSilentPrompts();
    const QByteArray bytes = Fuzz::Bytes(data, size);
    for (const char* version : {"105", "104", "1"}) {
        DataUnit::ClearTables();
        CaptureStream::Create();
        CaptureStream::Append(bytes);
        CheckDownloadCrc();
        DataUnit::ParseDownload(QString::fromLatin1(version));
        if (CaptureStream::Exists()) // the parse always lets the capture go
            std::abort();
        Fuzz::CheckTables();
    }
    return 0;
}
