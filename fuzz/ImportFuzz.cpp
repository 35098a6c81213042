// A companion-app file: the integrity pass, the start line, the records up to "!".
#include "data/CaptureStream.h"
#include "data/DataFiles.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fuzz::InstallSilentPrompts();
    const QString path = Fuzz::WriteScratch(Fuzz::Bytes(data, size), ".txt");
    const DataFiles::ReadResult r = DataFiles::ImportFile(path);
    if (r.errors < 0 || !r.failure.isEmpty() || CaptureStream::Exists())
        std::abort();
    Fuzz::CheckTables();
    return 0;
}
