// A data file as a user might pick any file on disk.
#include "data/DataFiles.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fuzz::InstallSilentPrompts();
    const QString path = Fuzz::WriteScratch(Fuzz::Bytes(data, size), ".dat");
    const DataFiles::ReadResult r = DataFiles::LoadDataFile(path);
    if (r.errors < 0 || !r.failure.isEmpty())
        std::abort();
    // Nothing is kept from a file with errors but the lines read; no daily table is built.
    if (r.errors > 0 && DataUnit::DailyCount() != 0)
        std::abort();
    Fuzz::CheckTables();
    return 0;
}
