// The main window's data-file commands: Load, Save As, Import and the raw download.
#include "app/TFMain.h"

#include "data/DataFiles.h"
#include "data/DataUnit.h"
#include "ui/DesktopOpener.h"
#include "ui/OmbrexError.h"
#include "ui/Paths.h"
#include "ui/Prompts.h"
#include "views/TChildGraph.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace {

const QString kCaption = QStringLiteral("Ombrex V2.4 - ");
const QString kDataFilter =
    QStringLiteral("Hyetra Data Files|*.dat|Hyetra version 2.0 Files|*.csv");
const QString kSaveFilter = QStringLiteral("Hyetra Data Files|*.dat|Version 2.0 Files|*.csv");
const QString kImportFilter = QStringLiteral("Tarnell (comma delimited)|*.csv");

QString errorsText(int errors) {
    return QStringLiteral("There were ") + QString::number(errors) +
           QStringLiteral(" errors reading the data file");
}

bool usableFolder(const QString& folder) {
    const QFileInfo info(folder);
    if (info.isDir())
        return info.isWritable();
    return QDir().mkpath(folder) && QFileInfo(folder).isDir();
}

} // namespace

QString TFMain::ChooseDataFolder(const QString& programDataFolder, const QString& userDataFolder) {
    if (usableFolder(programDataFolder))
        return programDataFolder;
    // A system-wide install cannot write beside the program; the user's own folder stands in.
    if (!userDataFolder.isEmpty() && usableFolder(userDataFolder))
        return userDataFolder;
    return {};
}

QString TFMain::EnsureDataFolder() {
    const QString generic = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString user =
        generic.isEmpty() ? QString() : generic + QStringLiteral("/Pluvatec/Ombrex2/Data Files");
    const QString folder = ChooseDataFolder(ProgramFolder() + QStringLiteral("Data Files"), user);
    if (folder.isEmpty())
        Prompts::ShowMessage(QStringLiteral("Error creating directory"));
    return folder;
}

void TFMain::MnuLoadClick() {
    const QString folder = EnsureDataFolder();
    if (folder.isEmpty())
        return;
    m_lastLoadedFile.clear();
    const QString chosen = Prompts::Current().openFile(
        {QStringLiteral("Load"), folder, QString(), kDataFilter, QStringLiteral("dat")});
    if (chosen.isEmpty())
        return;
    const QString path = Prompts::WithDefaultExtension(chosen, QStringLiteral("dat"));
    m_lastLoadedFile = path;

    // The completion runs also when reading stopped part-way; the failure is told after it.
    finishReading(path, DataFiles::LoadDataFile(path));
}

// What Load and Import do once a file has been read.
void TFMain::finishReading(const QString& path, const DataFiles::ReadResult& result) {
    m_stationId = 0; // the tables hold a file now, not a station
    setWindowTitle(kCaption + FileNameOnly(path));
    Action(QStringLiteral("MnuSave"))->setEnabled(true);
    Action(QStringLiteral("MnuPrint"))->setEnabled(true);
    if (result.errors > 0)
        Prompts::ShowMessage(errorsText(result.errors));
    GotDataExecute();
    if (!result.failure.isEmpty())
        Prompts::ShowGeneralError(result.failure);

    for (TChildGraph* graph : GraphWindows())
        graph->SetDays(0, DataUnit::DailyCount() - 1);
    RefreshDataViews();
}

void TFMain::MnuSaveClick() {
    // Without a data folder the dialog still opens, in its default place.
    const QString folder = EnsureDataFolder();
    if (!m_lastLoadedFile.isEmpty())
        m_saveFileName = FileNameOnly(m_lastLoadedFile);
    const QString chosen = Prompts::Current().saveFile(
        {QStringLiteral("Save As"), folder, m_saveFileName, kSaveFilter, QStringLiteral("dat")});
    if (chosen.isEmpty())
        return;
    const QString path = Prompts::WithDefaultExtension(chosen, QStringLiteral("dat"));
    m_saveFileName = path;
    try {
        DataUnit::SaveDataFile(path);
    } catch (const OmbrexError& e) {
        Prompts::ShowGeneralError(e.message());
    }
}

void TFMain::MnuImportClick() {
    const QString chosen = Prompts::Current().openFile(
        {QStringLiteral("Import"), QString(), QString(), kImportFilter, QStringLiteral("csv")});
    if (chosen.isEmpty())
        return;
    const QString path = Prompts::WithDefaultExtension(chosen, QStringLiteral("csv"));

    // A file that cannot be opened at all leaves the tables as they are (the import reads it
    // twice, and only a failure of the first reading keeps them).
    const bool readable = QFile(path).open(QIODevice::ReadOnly);
    const DataFiles::ReadResult result = DataFiles::ImportFile(path);
    if (!readable) {
        Prompts::ShowGeneralError(result.failure);
        return;
    }
    if (result.crcFailed)
        Prompts::ShowMessage(
            QStringLiteral("The CRC check sum of the data file failed. Please check the data "
                           "carefully, there may be errors."));
    finishReading(path, result);
}

void TFMain::R1Click() {
    const QFileInfo download(QDir::current().filePath(QStringLiteral("download.txt")));
    if (download.isFile())
        DesktopOpener::Open(QUrl::fromLocalFile(download.absoluteFilePath()).toString());
    else
        Prompts::ShowMessage(QStringLiteral("Sorry, no download files were found."));
}
