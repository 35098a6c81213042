// libFuzzer target for every reader of outside bytes in the data core: the download capture
// (both record formats), its CRC field, and data-file and import files.
#include "data/CaptureStream.h"
#include "data/DataFiles.h"
#include "data/DataUnit.h"
#include "ui/Prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdlib>

namespace {

class SilentPrompts final : public Prompts::Service {
public:
    Prompts::Answer ask(Prompts::Kind, const QString&) override { return Prompts::Answer::Ok; }
    QString openFile(const Prompts::FileDialog&) override { return {}; }
    QString saveFile(const Prompts::FileDialog&) override { return {}; }
    bool printerSetup(QPrinter*) override { return false; }
};

void CheckTables() {
    bool outOfRange = false;
    for (int32_t i = 0; i < DataUnit::EventCount(); ++i) {
        const TRainRecord r = DataUnit::GetEvent(i, outOfRange);
        if (outOfRange || r.Count < 0 || r.Count > 255 || r.Message.size() > 20)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SilentPrompts prompts;
    Prompts::Install(&prompts);
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const char* version : {"105", "104"}) {
        DataUnit::ClearTables();
        CaptureStream::Create();
        CaptureStream::Append(bytes);
        CheckDownloadCrc();
        DataUnit::ParseDownload(QString::fromLatin1(version));
        CheckTables();
    }
    const QString path =
        QDir::tempPath() +
        QStringLiteral("/ombrex-fuzz-%1.dat").arg(QCoreApplication::applicationPid());
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    DataFiles::LoadDataFile(path);
    CheckTables();
    DataFiles::ImportFile(path);
    CheckTables();
    QFile::remove(path);
    return 0;
}
