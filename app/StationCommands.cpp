// The main window's station-archive commands: keeping each download, Open Station, Add Data
// File to Station and Station Properties.
#include "app/AddToStationDialog.h"
#include "app/OpenStationDialog.h"
#include "app/SettingsKeys.h"
#include "app/SettingsStore.h"
#include "app/StationPropertiesDialog.h"
#include "app/StationQuality.h"
#include "app/TFMain.h"

#include "analysis/QualityState.h"
#include "archive/StationArchive.h"
#include "data/DataUnit.h"
#include "data/RecordFiles.h"
#include "ui/OmbrexError.h"
#include "ui/Paths.h"
#include "ui/Prompts.h"
#include "views/TChildGraph.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>

namespace K = SettingsKeys;

namespace {

const QString kCaption = QStringLiteral("Ombrex V2.4 - ");
const QString kAddFilter = QStringLiteral(
    "Hyetra Data Files|*.dat|Version 2.0 and Tarnell Files|*.csv|Raw Downloads|*.txt|All Files|*");

// The archive is written while the user waits; the hourglass says so.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

Archive::Source SourceOf(RecordFiles::Kind kind) {
    switch (kind) {
    case RecordFiles::Kind::RawCapture:
        return Archive::Source::RawCapture;
    case RecordFiles::Kind::Tarnell:
        return Archive::Source::Tarnell;
    default:
        return Archive::Source::DataFile;
    }
}

} // namespace

// Opened at first use; a file that is no archive is reported each time it is needed and left
// as it is, and the program goes on without it.
StationArchive* TFMain::StationStore() {
    if (!m_archive) {
        try {
            m_archive = std::make_unique<StationArchive>(StationArchive::DefaultArchivePath());
        } catch (const OmbrexError& e) {
            Prompts::ShowError(e.message());
            return nullptr;
        }
    }
    return m_archive.get();
}

bool TFMain::KeepDownloads() const {
    const QAction* item = Action(QStringLiteral("MnuKeepDownloads"));
    return item && item->isChecked();
}

void TFMain::MnuKeepDownloadsClick() {
    QAction* item = Action(QStringLiteral("MnuKeepDownloads"));
    SettingsStore().WriteBool(K::Settings, K::KeepDownloads, item->isChecked());
}

void TFMain::ArchiveDownload(const QByteArray& raw, bool crcOk) {
    m_stationId = 0; // the tables hold the download now
    if (!KeepDownloads() || DataUnit::EventCount() == 0)
        return;
    StationArchive* archive = StationStore();
    if (!archive)
        return;
    Archive::Addition a;
    a.Kind = Archive::Source::Download;
    a.Station = m_status.DeviceName.trimmed().isEmpty() ? QStringLiteral("Unnamed logger")
                                                        : m_status.DeviceName.trimmed();
    a.Model = m_loggerModel == 2 ? QStringLiteral("Hyetra 2.0") : QStringLiteral("Hyetra");
    a.BucketFactor = DataUnit::BucketFactor;
    a.LoggerVersion = m_status.LoggerVersion;
    a.FileName = QStringLiteral("download.txt");
    a.Raw = raw;
    a.AddedUtc = QDateTime::currentDateTimeUtc();
    a.Clock = m_driftReading;
    a.CrcOk = crcOk;
    a.Records = Archive::RecordsFromTables();
    try {
        const WaitCursor wait;
        const Archive::AddResult r = archive->Add(a);
        m_stationId = r.StationId; // its properties are the ones Station Properties shows
        if (r.KeptApart)
            ShowStatus(QStringLiteral("Kept in station \"%1\" apart from its record: the check "
                                      "sum failed")
                           .arg(r.StationName),
                       10);
        else
            ShowStatus(QStringLiteral("Download complete: station \"%1\" gained %2 new records")
                           .arg(r.StationName)
                           .arg(r.NewRecords),
                       10);
    } catch (const OmbrexError& e) {
        ShowStatus(QStringLiteral("Download complete, not kept in the station archive"), 10);
        Prompts::ShowError(e.message());
    }
}

void TFMain::OpenStation(int64_t id) {
    StationArchive* archive = StationStore();
    if (!archive)
        return;
    Archive::LoadedStation loaded;
    try {
        const WaitCursor wait;
        loaded = archive->LoadStationIntoTables(id);
    } catch (const OmbrexError& e) {
        Prompts::ShowError(e.message());
        return;
    }
    m_stationId = id;
    m_lastLoadedFile.clear();
    m_saveFileName = loaded.Station.Name;
    setWindowTitle(kCaption + QStringLiteral("Station ") + loaded.Station.Name);
    // The station's collector becomes the program's.
    setCollector(loaded.Station.BucketFactor);
    Action(QStringLiteral("MnuSave"))->setEnabled(true);
    Action(QStringLiteral("MnuPrint"))->setEnabled(true);
    GotDataExecute();
    try {
        m_stationDecisions = StationQuality::Activate(*archive, id, loaded.Keys);
    } catch (const OmbrexError& e) {
        Prompts::ShowError(e.message()); // the flags then use the defaults
    }
    for (TChildGraph* graph : GraphWindows())
        graph->SetDays(0, DataUnit::DailyCount() - 1);
    RefreshDataViews();
    ShowStatus(QStringLiteral("Station \"%1\": %2 records")
                   .arg(loaded.Station.Name)
                   .arg(loaded.Station.Records),
               10);
}

void TFMain::forgetStationQuality() {
    StationQuality::Deactivate();
    m_stationDecisions.reset();
    Analysis::ForgetMemoryDecisions();
}

void TFMain::MnuOpenStationClick() {
    StationArchive* archive = StationStore();
    if (!archive)
        return;
    std::vector<Archive::StationSummary> stations;
    try {
        stations = archive->Stations();
    } catch (const OmbrexError& e) {
        Prompts::ShowError(e.message());
        return;
    }
    auto* dialog = new OpenStationDialog(this, stations);
    dialog->onOpen = [this](int64_t id) { Prompts::Guarded([this, id] { OpenStation(id); }); };
    dialog->onAcceptKept = [this](int64_t id) {
        Prompts::Guarded([this, id] { AcceptKeptDownloads(id); });
    };
    dialog->show();
}

void TFMain::AcceptKeptDownloads(int64_t stationId) {
    StationArchive* archive = StationStore();
    if (!archive)
        return;
    if (!Prompts::Confirm(QStringLiteral("The check sum of these downloads failed: their records "
                                         "may hold errors. Join them to the station's record?")))
        return;
    int64_t added = 0;
    try {
        for (const Archive::DownloadInfo& d : archive->Downloads(stationId))
            if (!d.Accepted)
                added += archive->AcceptDownload(d.Id).NewRecords;
    } catch (const OmbrexError& e) {
        Prompts::ShowError(e.message());
    }
    OpenStation(stationId);
    ShowStatus(QStringLiteral("%1 new records joined the station").arg(added), 10);
}

void TFMain::MnuAddToStationClick() {
    StationArchive* archive = StationStore();
    if (!archive)
        return;
    const QString path =
        Prompts::Current().openFile({QStringLiteral("Add Data File to Station"), EnsureDataFolder(),
                                     QString(), kAddFilter, QStringLiteral("dat")});
    if (path.isEmpty())
        return;
    QStringList names;
    QString proposed;
    try {
        for (const Archive::StationSummary& s : archive->Stations()) {
            names << s.Name;
            if (s.Id == m_stationId)
                proposed = s.Name;
        }
    } catch (const OmbrexError& e) {
        Prompts::ShowError(e.message());
        return;
    }
    auto* dialog = new AddToStationDialog(this, FileNameOnly(path), names, proposed);
    dialog->onOk = [this, path](const QString& station) {
        Prompts::Guarded([this, path, station] { AddFileToStation(path, station); });
    };
    dialog->show();
}

void TFMain::AddFileToStation(const QString& path, const QString& station) {
    StationArchive* archive = StationStore();
    if (!archive)
        return;
    RecordFiles::Kind kind = RecordFiles::Kind::Unknown;
    const DataFiles::ReadResult read = RecordFiles::ReadRecordFile(
        path, m_status.LoggerVersion.isEmpty() ? QStringLiteral("125") : m_status.LoggerVersion,
        &kind);
    if (!read.failure.isEmpty()) {
        Prompts::ShowGeneralError(read.failure);
        return;
    }
    if (read.errors > 0 || DataUnit::EventCount() == 0) {
        Prompts::ShowError(QStringLiteral("There were %1 errors reading \"%2\"; it was not added "
                                          "to the station")
                               .arg(read.errors)
                               .arg(FileNameOnly(path)));
        return;
    }
    QFile file(path);
    Archive::Addition a;
    a.Kind = SourceOf(kind);
    a.Station = station;
    a.BucketFactor = DataUnit::BucketFactor;
    a.LoggerVersion = m_status.LoggerVersion;
    a.FileName = QFileInfo(path).absoluteFilePath();
    a.Raw = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    a.CrcOk = !read.crcFailed;
    a.Records = Archive::RecordsFromTables();
    Archive::AddResult r;
    try {
        const WaitCursor wait;
        r = archive->Add(a);
    } catch (const OmbrexError& e) {
        Prompts::ShowError(e.message());
        return;
    }
    OpenStation(r.StationId);
    ShowStatus(r.KeptApart ? QStringLiteral("\"%1\" kept in station \"%2\" apart from its "
                                            "record: the check sum failed")
                                 .arg(FileNameOnly(path), r.StationName)
                           : QStringLiteral("\"%1\": station \"%2\" gained %3 new records")
                                 .arg(FileNameOnly(path), r.StationName)
                                 .arg(r.NewRecords),
               10);
}

void TFMain::MnuStationPropertiesClick() {
    StationArchive* archive = StationStore();
    if (!archive)
        return;
    if (m_stationId == 0) {
        Prompts::ShowMessage(QStringLiteral("Open a station first (File, Open Station...)."));
        return;
    }
    Archive::StationSettings settings;
    try {
        settings = archive->Settings(m_stationId);
    } catch (const OmbrexError& e) {
        Prompts::ShowError(e.message());
        return;
    }
    auto* dialog = new StationPropertiesDialog(this, settings);
    dialog->onOk = [this](const Archive::StationSettings& changed) {
        Prompts::Guarded([this, changed] {
            try {
                StationStore()->SetSettings(m_stationId, changed);
            } catch (const OmbrexError& e) {
                Prompts::ShowError(e.message());
                return;
            }
            OpenStation(m_stationId);
        });
    };
    dialog->show();
}
