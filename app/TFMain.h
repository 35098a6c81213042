#pragma once

#include "analysis/FlagDecisionStore.h"
#include "app/CommandState.h"
#include "archive/ArchiveTypes.h"
#include "data/DataFiles.h"
#include "link/DeviceStatus.h"
#include "link/LinkHost.h"
#include "views/ChildHost.h"

#include <QByteArray>
#include <QHash>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>

class ControlBar;
class IntervalTimer;
class TExportForm;
class LoggerLink;
class QAction;
class QMdiArea;
class QMenu;
class QPrinter;
class QToolBar;
class StationArchive;
class StatusPanel;
class TChildInfo;
class TChildStorms;
class TChildText;

// The MDI main window: menus, toolbars, status panel, the command state, the child windows and
// everything that lives as long as the process.
class TFMain : public QMainWindow, public ChildHost, public LinkHost {
    Q_OBJECT
public:
    explicit TFMain(QWidget* parent = nullptr);
    ~TFMain() override;

    // Device status values: plain setters, nothing is redrawn.
    const DeviceStatus& Status() const override { return m_status; }
    void SetDeviceName(const QString& v) { m_status.DeviceName = v; }
    void SetLoggerVersion(const QString& v) { m_status.LoggerVersion = v; }
    void SetClockOffset(double v) { m_status.ClockOffset = v; }
    void SetRecordCount(int32_t v) { m_status.RecordCount = v; }
    void SetBatteryText(const QString& v) { m_status.BatteryText = v; }
    void SetConnected(bool v) { m_status.Connected = v; }

    // The six actions: the only way the command state changes.
    void ConnectExecute();
    void DisconnectExecute();
    void NoDataExecute();
    void GotDataExecute();
    void ChildActivate() override;
    void ChildDeactivate() override;

    void ShowStatus(const QString& text, int seconds) override;

    // What the logger link reports (LinkHost).
    void StatusRead(const DeviceStatus& status) override;
    void NameChosen(const QString& name) override { SetDeviceName(name); }
    void LinkConnected() override;
    void LinkDisconnected() override { DisconnectExecute(); }
    void HoldInput(bool hold) override { SetMainEnabled(!hold); }
    void DataDownloaded() override;
    void ClockMeasured(double clockOffset, const QDateTime& pcNow) override;
    void DownloadCompleted(const QByteArray& raw, bool crcOk) override;
    int LastPort() const override;
    void RememberPort(int port) override;

    // Child windows.
    void ApplyDefaultLayout();
    void OpenDefaultWindows();
    void RefreshAllChildren();
    void RefreshDataViews();
    QMdiArea* MdiArea() const { return m_mdi; }
    QList<TChildGraph*> GraphWindows() const override;
    QList<TChildText*> TextWindows() const;
    QList<TChildInfo*> InfoWindows() const;
    QList<TChildStorms*> StormsWindows() const;
    TChildGraph* CreateGraphWindow() override;
    QList<TChildHyetograph*> HyetographWindows() const override;
    TChildHyetograph* CreateHyetographWindow() override;
    QMdiSubWindow* ActiveChild() const override;
    int32_t GraphFirstDay() const override { return m_graphFirstDay; }
    int32_t GraphLastDay() const override { return m_graphLastDay; }
    void SetGraphRange(int32_t first, int32_t last) override;
    QPrinter* Printer() override;
    Analysis::StormOptions StormOptions() const override;
    void SetStormOptions(const Analysis::StormOptions& options) override;
    QString DataSetName() const override;

    // Commands.
    void MnuInfoClick();
    void MnuTextClick();
    void MnuGraphClick();
    void MnuHyetographClick();
    void MnuQualityClick();
    void MnuLeaveOutFlagsClick();
    void MnuStormsClick();
    void MnuTileClick();
    void MnuCascadeClick();
    void MnuCopyClick() override;
    void MnuSelectAllClick();
    void MnuPrintClick() override;
    void MBF001Click();
    void MBF010Click();
    void MBF020Click();
    void MBF025Click();
    void MBF050Click();
    void MnuHyetraClick();
    void MnuHyetraUsbClick();
    void MnuHelpClick();
    void MnuAboutClick();
    void MnuCheckVersionClick();
    void MnuDeviceManagerClick();
    void MnuDisconnectClick();
    void MnuAutoDetectClick();
    void MnuExportClick();
    TExportForm* ExportForm() const { return m_exportForm; }
    void MnuManualConnectClick();

    // Data files (FileCommands.cpp).
    void MnuLoadClick();
    void MnuSaveClick();
    void MnuImportClick();
    void R1Click();
    // The data folder, created when missing: beside the program, or per user where the program's
    // folder cannot be written. Empty (after "Error creating directory") when neither can be made.
    QString EnsureDataFolder();
    // The folder choice itself: the program's data folder where it exists writable or can be
    // made, else the per-user one where it exists or can be made; empty when neither.
    static QString ChooseDataFolder(const QString& programDataFolder,
                                    const QString& userDataFolder);
    QString LastLoadedFile() const { return m_lastLoadedFile; }

    // The station archive (StationCommands.cpp).
    void MnuOpenStationClick();
    void MnuAddToStationClick();
    void MnuStationPropertiesClick();
    void MnuKeepDownloadsClick();
    bool KeepDownloads() const;
    // The logger's clock as the last status reply before any clock setting read it.
    void SetDriftReading(const Archive::ClockReading& reading) { m_driftReading = reading; }
    // A completed download into its station, under "Keep downloads in the station archive".
    void ArchiveDownload(const QByteArray& raw, bool crcOk);
    void OpenStation(int64_t stationId);
    void AcceptKeptDownloads(int64_t stationId);
    void AddFileToStation(const QString& path, const QString& station);
    int64_t OpenStationId() const { return m_stationId; }
    // Null (after an error message) when the archive cannot be used.
    StationArchive* StationStore();

    int LoggerModel() const { return m_loggerModel; }
    int32_t PortBaud() const { return m_baud; }
    QByteArray KPacketEndString() const { return m_kPacketEnd; }

    // A command by the item's object name ("MnuDownload", "MBF025", ...), for routing and checks.
    QAction* Action(const QString& objectName) const;
    QAction* Command(CommandState::Command command) const;
    QToolBar* FileTools() const { return m_fileTools; }
    QToolBar* LoggerTools() const { return m_loggerTools; }
    QToolBar* WindowTools() const { return m_windowTools; }
    ControlBar* ToolBarStrip() const { return m_controlBar; }
    StatusPanel* Panel() const { return m_panel; }

    LoggerLink& Link() { return *m_link; }
    bool ComPortOpen() const;
    // While the program waits for the logger the main window takes no input; its dialogs
    // (connect, download, erase, name) stay usable.
    void SetMainEnabled(bool enabled);
    bool MainEnabled() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Back to the default quality settings and the in-memory decisions.
    void forgetStationQuality();
    void buildMenus();
    void buildToolbars();
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption,
                     const QString& hint = {}, const QString& icon = {});
    void applyChanges(CommandState::Action action);
    void readSettings();
    void writeSettings();
    void applyLoggerModel();
    void setCollector(uint16_t factor);
    void tickCollector(uint16_t factor);
    void toggleToolbar(QToolBar* toolbar, QAction* item);
    template <class T> QList<T*> children() const;
    template <class T> void showOrCreate();
    void firstRunHelp();
    void runCommand(void (TFMain::*handler)());
    void runLinkCommand(void (LoggerLink::*handler)());
    void finishReading(const QString& path, const DataFiles::ReadResult& result);

    DeviceStatus m_status;
    int m_loggerModel = 0;
    int32_t m_baud = 9600;
    QByteArray m_kPacketEnd = "\r";
    int32_t m_graphFirstDay = 0;
    int32_t m_graphLastDay = 0;
    bool m_showHelp = true;
    QString m_lastLoadedFile; // the open dialog's file name
    QString m_saveFileName;   // the save dialog's last name
    QRect m_restoreGeometry;  // the stored normal place of a window that starts maximised

    QMdiArea* m_mdi = nullptr;
    ControlBar* m_controlBar = nullptr;
    QToolBar* m_fileTools = nullptr;
    QToolBar* m_loggerTools = nullptr;
    QToolBar* m_windowTools = nullptr;
    StatusPanel* m_panel = nullptr;
    IntervalTimer* m_statusBarTimer = nullptr;
    QHash<QString, QAction*> m_items;
    std::unique_ptr<QPrinter> m_printer;
    LoggerLink* m_link = nullptr;
    TExportForm* m_exportForm = nullptr;
    std::unique_ptr<StationArchive> m_archive;
    // The opened station's decisions on flags; after m_archive, which it writes to.
    std::unique_ptr<Analysis::FlagDecisionStore> m_stationDecisions;
    std::optional<Archive::ClockReading> m_driftReading;
    int64_t m_stationId = 0; // the station the tables hold, 0 for none
};
