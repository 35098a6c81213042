// ombrex-tool add's readers of outside files: the kind told from the content, the file read into
// the tables, the records added to a station and the station opened again.
#include "archive/StationArchive.h"
#include "data/CaptureStream.h"
#include "data/RecordFiles.h"
#include "fuzz/FuzzSupport.h"
#include "ui/OmbrexError.h"

#include <QCoreApplication>

// The SQLite driver is a plugin: it is found through the application object.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fuzz::InstallSilentPrompts();
    const QString path = Fuzz::WriteScratch(Fuzz::Bytes(data, size), ".dat");
    RecordFiles::Kind kind = RecordFiles::Kind::Unknown;
    const DataFiles::ReadResult read =
        RecordFiles::ReadRecordFile(path, QStringLiteral("125"), &kind);
    if (read.errors < 0 || CaptureStream::Exists())
        std::abort();
    Fuzz::CheckTables();
    if (!read.failure.isEmpty() || read.errors > 0 || DataUnit::EventCount() == 0)
        return 0;

    Archive::Addition a;
    a.Kind = kind == RecordFiles::Kind::RawCapture ? Archive::Source::RawCapture
             : kind == RecordFiles::Kind::Tarnell  ? Archive::Source::Tarnell
                                                   : Archive::Source::DataFile;
    a.Station = QStringLiteral("Fuzz");
    a.ZoneMinutes = 0;
    a.Raw = Fuzz::Bytes(data, size);
    a.CrcOk = true;
    a.Records = Archive::RecordsFromTables();
    const size_t count = a.Records.size();
    try {
        StationArchive archive(QStringLiteral(":memory:"));
        const Archive::AddResult r = archive.Add(a);
        // Added twice, the second adds nothing: the overlap is the same records.
        if (archive.Add(a).NewRecords != 0 || r.NewRecords > int64_t(count))
            std::abort();
        archive.LoadStationIntoTables(r.StationId);
        if (size_t(DataUnit::EventCount()) < size_t(r.NewRecords))
            std::abort();
        Fuzz::CheckTables();
    } catch (const OmbrexError&) {
        // A refusal with its reason is a fine answer to any input.
    }
    return 0;
}
