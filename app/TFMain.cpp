#include "app/TFMain.h"

#include "analysis/QualityState.h"
#include "app/ControlBar.h"
#include "app/DeviceManager.h"
#include "app/Links.h"
#include "app/SettingsKeys.h"
#include "app/SettingsStore.h"
#include "app/StatusPanel.h"
#include "app/TSplashscreen.h"
#include "archive/StationArchive.h"
#include "data/DataUnit.h"
#include "export/DataFormatsPanel.h"
#include "export/TExportForm.h"
#include "export/XlsxSpreadsheet.h"
#include "help/HelpSystem.h"
#include "link/LoggerLink.h"
#include "link/SerialPort.h"
#include "ui/DesktopOpener.h"
#include "ui/IntervalTimer.h"
#include "ui/OmbrexError.h"
#include "ui/Prompts.h"
#include "views/TChildGraph.h"
#include "views/TChildHyetograph.h"
#include "views/TChildInfo.h"
#include "views/TChildQuality.h"
#include "views/TChildStorms.h"
#include "views/TChildText.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QPrinter>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace K = SettingsKeys;
using CommandState::Command;

namespace {

constexpr int kButtonWidth = 31;

struct CollectorItem {
    const char* name;
    uint16_t factor;
};
constexpr CollectorItem kCollectors[] = {
    {"MBF001", 10}, {"MBF010", 100}, {"MBF020", 200}, {"MBF025", 254}, {"MBF050", 500}};

const char* commandItem(Command c) {
    switch (c) {
    case Command::AutoDetect:
        return "MnuAutoDetect";
    case Command::ManualConnect:
        return "MnuManualConnect";
    case Command::Disconnect:
        return "MnuDisconnect";
    case Command::Download:
        return "MnuDownload";
    case Command::SetClock:
        return "MnuSetClock";
    case Command::SetId:
        return "MnuSetId";
    case Command::Clear:
        return "MnuClear";
    case Command::SaveAs:
        return "MnuSave";
    case Command::Export:
        return "MnuExport";
    case Command::Print:
        return "MnuPrint";
    case Command::Copy:
        return "MnuCopy";
    case Command::SelectAll:
        return "MnuSelectAll";
    }
    return "";
}

// A settings read at start-up: a value the store cannot read is reported and its default used,
// so one bad entry never leaves the window half made.
template <class F> auto readOr(F read, decltype(read()) fallback) {
    try {
        return read();
    } catch (const OmbrexError& e) {
        Prompts::ShowError(e.message());
        return fallback;
    }
}

} // namespace

TFMain::TFMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("FMain"));
    setWindowTitle(QStringLiteral("Ombrex V2.4"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/ombrex.svg")));
    resize(771, 559);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_controlBar = new ControlBar(central);
    m_controlBar->setObjectName(QStringLiteral("ControlBar1"));
    m_mdi = new QMdiArea(central);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_panel = new StatusPanel(central);
    m_panel->setObjectName(QStringLiteral("Panel1"));
    layout->addWidget(m_controlBar);
    layout->addWidget(m_mdi, 1);
    layout->addWidget(m_panel);
    setCentralWidget(central);

    m_statusBarTimer = new IntervalTimer(1000, this);
    m_statusBarTimer->onTimer = [this] {
        m_statusBarTimer->setEnabled(false);
        m_panel->StatusLabel->hide();
    };

    m_link = new LoggerLink(*this, this);
    m_exportForm = new TExportForm(XlsxSpreadsheet::Factory(), this);
    buildMenus();
    buildToolbars();
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
        if (w)
            ChildActivate();
    });

    readSettings();

    DisconnectExecute();
    NoDataExecute();
    m_graphFirstDay = 0;
    m_graphLastDay = 0;

    QMetaObject::invokeMethod(this, &TFMain::OpenDefaultWindows, Qt::QueuedConnection);
    if (m_showHelp) {
        QMetaObject::invokeMethod(this, &TFMain::firstRunHelp, Qt::QueuedConnection);
        HelpSystem::ShowTopic(QStringLiteral("introduction.htm"));
    }
}

// The children go first, while the main window they report to is still whole.
TFMain::~TFMain() {
    qDeleteAll(m_mdi->subWindowList());
}

// ---------------------------------------------------------------- menus and toolbars

// Menu commands run at an event boundary: an error stops the command and is shown.
void TFMain::runCommand(void (TFMain::*handler)()) {
    Prompts::Guarded([this, handler] { (this->*handler)(); });
}

void TFMain::runLinkCommand(void (LoggerLink::*handler)()) {
    LoggerLink* link = m_link;
    Prompts::Guarded([link, handler] { (link->*handler)(); });
}

namespace {
// A hint shows as the item's tool tip and, on hover, as its status tip.
void SetHint(QAction* a, const QString& hint) {
    a->setToolTip(hint);
    a->setStatusTip(hint);
}
} // namespace

QAction* TFMain::addItem(QMenu* menu, const QString& name, const QString& caption,
                         const QString& hint, const QString& icon) {
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    if (!hint.isEmpty())
        SetHint(a, hint);
    if (!icon.isEmpty())
        a->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(icon)));
    menu->addAction(a);
    m_items.insert(name, a);
    return a;
}

void TFMain::buildMenus() {
    auto on = [this](QAction* a, void (TFMain::*handler)()) {
        connect(a, &QAction::triggered, this, [this, handler] { runCommand(handler); });
    };

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    on(addItem(file, "MnuLoad", "&Load", "Load from disk", "load"), &TFMain::MnuLoadClick);
    on(addItem(file, "MnuSave", "Save &As...", "Save data to disk", "save"), &TFMain::MnuSaveClick);
    m_items["MnuSave"]->setEnabled(false);
    on(addItem(file, "MnuRaw", "&Raw Download Data"), &TFMain::R1Click);
    file->addSeparator();
    on(addItem(file, "MnuOpenStation", "Open S&tation...", "Open a station of the archive"),
       &TFMain::MnuOpenStationClick);
    on(addItem(file, "MnuAddToStation", "Add Data File to Station..."),
       &TFMain::MnuAddToStationClick);
    on(addItem(file, "MnuStationProperties", "Station Properties..."),
       &TFMain::MnuStationPropertiesClick);
    file->addSeparator();
    on(addItem(file, "MnuImport", "Import..."), &TFMain::MnuImportClick);
    on(addItem(file, "MnuExport", "&Export...", {}, "export"), &TFMain::MnuExportClick);
    file->addSeparator();
    addItem(file, "MnuPrint", "&Print...", "Print active window", "print")->setEnabled(false);
    file->addSeparator();
    on(addItem(file, "MnuDeviceManager", "Device Manager"), &TFMain::MnuDeviceManagerClick);
    file->addSeparator();
    connect(addItem(file, "MnuExit", "E&xit", "Exit Ombrex"), &QAction::triggered, this,
            &QWidget::close);
    on(m_items["MnuPrint"], &TFMain::MnuPrintClick);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    on(addItem(edit, "MnuCopy", "&Copy", "Copy selected text or graph", "copy"),
       &TFMain::MnuCopyClick);
    m_items["MnuCopy"]->setEnabled(false);
    on(addItem(edit, "MnuSelectAll", "&Select All", "Select all text"), &TFMain::MnuSelectAllClick);
    m_items["MnuSelectAll"]->setEnabled(false);
    edit->addSeparator();
    QMenu* toolbars = edit->addMenu(QStringLiteral("Toolbars"));
    SetHint(toolbars->menuAction(), QStringLiteral("Configure toolbars"));
    for (const char* name : {"MnuToolbarFile", "MnuToolbarActions", "MnuToolbarWindows"}) {
        static const QHash<QString, QString> captions{{"MnuToolbarFile", "File/Edit"},
                                                      {"MnuToolbarActions", "Actions"},
                                                      {"MnuToolbarWindows", "Windows"}};
        QAction* a = addItem(toolbars, name, captions.value(name));
        a->setCheckable(true);
        a->setChecked(true);
    }

    QMenu* logger = menuBar()->addMenu(QStringLiteral("&Logger"));
    on(addItem(logger, "MnuAutoDetect", "A&uto Detect", "Auto detect logger", "auto-detect"),
       &TFMain::MnuAutoDetectClick);
    on(addItem(logger, "MnuManualConnect", "&Manual Connect"), &TFMain::MnuManualConnectClick);
    on(addItem(logger, "MnuDisconnect", "&Disconnect", {}, "disconnect"),
       &TFMain::MnuDisconnectClick);
    logger->addSeparator();
    auto link = [this](QAction* a, void (LoggerLink::*handler)()) {
        connect(a, &QAction::triggered, this, [this, handler] { runLinkCommand(handler); });
    };
    link(addItem(logger, "MnuDownload", "&Download", "Download data from logger", "download"),
         &LoggerLink::MnuDownloadClick);
    link(addItem(logger, "MnuSetClock", "Set &Clock", "Set logger clock", "set-clock"),
         &LoggerLink::MnuSetClockClick);
    link(addItem(logger, "MnuSetId", "Set &Id", "Set logger ID", "set-id"),
         &LoggerLink::MnuSetIdClick);
    link(addItem(logger, "MnuClear", "Clear", "Clear logger memory", "clear"),
         &LoggerLink::MnuClearClick);

    QMenu* settings = menuBar()->addMenu(QStringLiteral("S&ettings"));
    QMenu* collector = settings->addMenu(QStringLiteral("Collector"));
    SetHint(collector->menuAction(), QStringLiteral("Set collector type"));
    const char* collectorCaptions[] = {"0.01 in/tip", "0.10 mm/tip", "0.20 mm/tip", "0.254 mm/tip",
                                       "0.50 mm/tip"};
    void (TFMain::*collectorHandlers[])() = {&TFMain::MBF001Click, &TFMain::MBF010Click,
                                             &TFMain::MBF020Click, &TFMain::MBF025Click,
                                             &TFMain::MBF050Click};
    for (int i = 0; i < 5; ++i) {
        QAction* a = addItem(collector, kCollectors[i].name, collectorCaptions[i]);
        a->setCheckable(true);
        a->setChecked(i == 0);
        on(a, collectorHandlers[i]);
    }
    QMenu* version = settings->addMenu(QStringLiteral("Logger Version"));
    QAction* hyetra = addItem(version, "MnuHyetra", "Hyetra");
    hyetra->setCheckable(true);
    hyetra->setChecked(true);
    on(hyetra, &TFMain::MnuHyetraClick);
    QAction* leaveOut = addItem(settings, "MnuLeaveOutFlags", "Leave Out Accepted Flags",
                                "Analysis leaves out records whose flags were accepted");
    leaveOut->setCheckable(true);
    on(leaveOut, &TFMain::MnuLeaveOutFlagsClick);
    QAction* usb = addItem(version, "MnuHyetraUsb", "Hyetra 2.0 (USB)");
    usb->setCheckable(true);
    on(usb, &TFMain::MnuHyetraUsbClick);
    QAction* keep = addItem(settings, "MnuKeepDownloads", "Keep downloads in the station archive",
                            "Add every completed download to its station's record");
    keep->setCheckable(true);
    keep->setChecked(true);
    on(keep, &TFMain::MnuKeepDownloadsClick);

    QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
    on(addItem(window, "MnuInfo", "&Info", "Create an Info window", "info"), &TFMain::MnuInfoClick);
    on(addItem(window, "MnuText", "T&ext", "Create a Text window", "text"), &TFMain::MnuTextClick);
    on(addItem(window, "MnuGraph", "&Graph", "Create a Graph window", "graph"),
       &TFMain::MnuGraphClick);
    on(addItem(window, "MnuHyetograph", "&Hyetograph", "Create a Hyetograph window", "hyetograph"),
       &TFMain::MnuHyetographClick);
    on(addItem(window, "MnuQuality", "&Quality", "Create a Quality window"),
       &TFMain::MnuQualityClick);
    on(addItem(window, "MnuStorms", "&Storms", "Create a Storms window", "storms"),
       &TFMain::MnuStormsClick);
    window->addSeparator();
    on(addItem(window, "MnuTile", "&Tile", "Tile windows", "tile"), &TFMain::MnuTileClick);
    on(addItem(window, "MnuCascade", "&Cascade", "Cascade windows", "cascade"),
       &TFMain::MnuCascadeClick);
    on(addItem(window, "MnuDefaults", "&Defaults", "Default windows", "defaults"),
       &TFMain::ApplyDefaultLayout);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    on(addItem(help, "MnuHelp", "&Help", "Help", "help"), &TFMain::MnuHelpClick);
    help->addSeparator();
    on(addItem(help, "MnuCheckVersion", "Check version"), &TFMain::MnuCheckVersionClick);
    help->addSeparator();
    on(addItem(help, "MnuAbout", "A&bout", "About Ombrex"), &TFMain::MnuAboutClick);

    for (QMenu* m : {file, edit, toolbars, logger, settings, collector, version, window, help})
        m->setToolTipsVisible(true);
}

void TFMain::buildToolbars() {
    auto make = [this](const char* name, const QStringList& items) {
        auto* tb = new QToolBar(QString::fromLatin1(name), this);
        tb->setObjectName(QString::fromLatin1(name));
        tb->setIconSize(QSize(20, 20));
        tb->setToolButtonStyle(Qt::ToolButtonIconOnly);
        tb->setContentsMargins(0, 0, 0, 0);
        int placeholder = 0;
        for (const QString& item : items) {
            QAction* a = nullptr;
            if (item.isEmpty()) {
                // Placeholders keep the design's gaps; nothing ever enables them.
                a = new QAction(QIcon(QStringLiteral(":/icons/blank.svg")), QString(), tb);
                a->setObjectName(QStringLiteral("%1Placeholder%2").arg(name).arg(++placeholder));
                a->setEnabled(false);
            } else {
                a = m_items.value(item);
            }
            tb->addAction(a);
            if (QWidget* w = tb->widgetForAction(a))
                w->setFixedWidth(kButtonWidth);
        }
        m_controlBar->addBand(tb);
        return tb;
    };
    m_fileTools = make("FileTools", {"MnuLoad", "MnuSave", "MnuExport", "MnuPrint", "", "MnuCopy",
                                     "", "MnuHelp", ""});
    m_loggerTools = make("LoggerTools", {"MnuAutoDetect", "MnuDisconnect", "MnuDownload",
                                         "MnuSetClock", "MnuClear", "MnuSetId"});
    m_windowTools = make("WindowTools", {"MnuInfo", "MnuText", "MnuGraph", "MnuStorms",
                                         "MnuHyetograph", "MnuTile", "MnuCascade", "MnuDefaults"});
    m_controlBar->place(m_fileTools, 11, 2);
    m_controlBar->place(m_loggerTools, 310, 2);
    m_controlBar->place(m_windowTools, 510, 2);

    connect(m_items["MnuToolbarFile"], &QAction::triggered, this,
            [this] { toggleToolbar(m_fileTools, m_items["MnuToolbarFile"]); });
    connect(m_items["MnuToolbarActions"], &QAction::triggered, this,
            [this] { toggleToolbar(m_loggerTools, m_items["MnuToolbarActions"]); });
    connect(m_items["MnuToolbarWindows"], &QAction::triggered, this,
            [this] { toggleToolbar(m_windowTools, m_items["MnuToolbarWindows"]); });
}

void TFMain::toggleToolbar(QToolBar* toolbar, QAction* item) {
    m_controlBar->setBandVisible(toolbar, toolbar->isHidden());
    item->setChecked(!toolbar->isHidden());
}

QAction* TFMain::Action(const QString& objectName) const {
    return m_items.value(objectName);
}

QAction* TFMain::Command(CommandState::Command command) const {
    return m_items.value(QString::fromLatin1(commandItem(command)));
}

// ---------------------------------------------------------------- settings

void TFMain::readSettings() {
    for (const auto& c : kCollectors)
        m_items[c.name]->setChecked(false);

    SettingsStore store;
    const int factor =
        readOr([&] { return store.ReadInteger(K::Settings, K::BucketFactor, 10); }, 10);
    DataUnit::BucketFactor = static_cast<uint16_t>(factor);
    tickCollector(DataUnit::BucketFactor);

    m_loggerModel = readOr([&] { return store.ReadInteger(K::Settings, K::Logger, 0); }, 0);
    if (m_loggerModel == 0) {
        m_loggerModel =
            Prompts::Confirm(QStringLiteral("Do you have a USB based Hyetra 2.0?")) ? 2 : 1;
        Prompts::Guarded([&] { store.WriteInteger(K::Settings, K::Logger, m_loggerModel); });
    }
    applyLoggerModel();
    m_items["MnuKeepDownloads"]->setChecked(
        readOr([&] { return store.ReadBool(K::Settings, K::KeepDownloads, true); }, true));
    m_items["MnuHyetra"]->setChecked(m_loggerModel == 1);
    m_items["MnuHyetraUsb"]->setChecked(m_loggerModel != 1);
    const bool leaveOut =
        readOr([&] { return store.ReadBool(K::Analysis, K::LeaveOutAcceptedFlags, false); }, false);
    Analysis::SetLeaveOutAcceptedFlags(leaveOut);
    m_items["MnuLeaveOutFlags"]->setChecked(leaveOut);

    struct Band {
        QLatin1StringView section;
        QToolBar* toolbar;
        int left;
        const char* item;
    };
    for (const Band& b : {Band{K::FileToolbar, m_fileTools, 11, "MnuToolbarFile"},
                          Band{K::LoggerToolbar, m_loggerTools, 214, "MnuToolbarActions"},
                          Band{K::WindowToolbar, m_windowTools, 385, "MnuToolbarWindows"}}) {
        const int top = readOr([&] { return store.ReadInteger(b.section, K::Top, 2); }, 2);
        const int left =
            readOr([&] { return store.ReadInteger(b.section, K::Left, b.left); }, b.left);
        const bool visible =
            readOr([&] { return store.ReadBool(b.section, K::Visible, true); }, true);
        m_controlBar->place(b.toolbar, left, top);
        m_controlBar->setBandVisible(b.toolbar, visible);
        m_items[b.item]->setChecked(visible);
    }

    m_showHelp = readOr([&] { return store.ReadBool(K::General, K::ShowHelp, true); }, true);

    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    const int dw = desktop.width();
    const int dh = desktop.height();
    const int w =
        readOr([&] { return store.ReadInteger(K::WindowSettings, K::Width, dw - 50); }, dw - 50);
    const int h =
        readOr([&] { return store.ReadInteger(K::WindowSettings, K::Height, dh - 100); }, dh - 100);
    const int left = readOr(
        [&] { return store.ReadInteger(K::WindowSettings, K::Left, (dw - w) / 2); }, (dw - w) / 2);
    const int top = readOr(
        [&] { return store.ReadInteger(K::WindowSettings, K::Top, (dh - h) / 2); }, (dh - h) / 2);
    const int state = readOr([&] { return store.ReadInteger(K::WindowSettings, K::State, 0); }, 0);
    resize(w, h);
    move(left, top);
    if (state == 2) {
        m_restoreGeometry = QRect(left, top, w, h);
        setWindowState(Qt::WindowMaximized);
    } else if (state == 1)
        setWindowState(Qt::WindowMinimized);
}

void TFMain::writeSettings() {
    SettingsStore store;
    struct Band {
        QLatin1StringView section;
        QToolBar* toolbar;
    };
    for (const Band& b : {Band{K::FileToolbar, m_fileTools}, Band{K::LoggerToolbar, m_loggerTools},
                          Band{K::WindowToolbar, m_windowTools}}) {
        store.WriteInteger(b.section, K::Top, b.toolbar->y());
        store.WriteInteger(b.section, K::Left, b.toolbar->x());
        store.WriteBool(b.section, K::Visible, !b.toolbar->isHidden());
    }
    // A maximised window keeps the last stored normal size and place.
    if (!isMaximized()) {
        store.WriteInteger(K::WindowSettings, K::Left, x());
        store.WriteInteger(K::WindowSettings, K::Top, y());
        store.WriteInteger(K::WindowSettings, K::Width, width());
        store.WriteInteger(K::WindowSettings, K::Height, height());
    }
    store.WriteInteger(K::WindowSettings, K::State, isMaximized() ? 2 : isMinimized() ? 1 : 0);
}

void TFMain::applyLoggerModel() {
    m_baud = m_loggerModel == 2 ? 115200 : 9600;
    m_kPacketEnd = m_loggerModel == 2 ? QByteArray("OK\r\n") : QByteArray("\r");
    m_link->ApplyModel(m_baud, m_kPacketEnd);
}

void TFMain::MnuHyetraClick() {
    m_items["MnuHyetra"]->setChecked(true);
    m_items["MnuHyetraUsb"]->setChecked(false);
    SettingsStore().WriteInteger(K::Settings, K::Logger, 1);
    m_loggerModel = 1;
    applyLoggerModel();
}

void TFMain::MnuHyetraUsbClick() {
    m_items["MnuHyetraUsb"]->setChecked(true);
    m_items["MnuHyetra"]->setChecked(false);
    SettingsStore().WriteInteger(K::Settings, K::Logger, 2);
    m_loggerModel = 2;
    applyLoggerModel();
}

// ---------------------------------------------------------------- collector

void TFMain::tickCollector(uint16_t factor) {
    for (const auto& c : kCollectors)
        m_items[c.name]->setChecked(c.factor == factor);
}

void TFMain::setCollector(uint16_t factor) {
    DataUnit::BucketFactor = factor;
    SettingsStore().WriteInteger(K::Settings, K::BucketFactor, factor); // WriteBF
    tickCollector(factor);
    RefreshDataViews();
}

void TFMain::MBF001Click() {
    setCollector(10);
}
void TFMain::MBF010Click() {
    setCollector(100);
}
void TFMain::MBF020Click() {
    setCollector(200);
}
void TFMain::MBF025Click() {
    setCollector(254);
}
void TFMain::MBF050Click() {
    setCollector(500);
}

// ---------------------------------------------------------------- status line

void TFMain::ShowStatus(const QString& text, int seconds) {
    m_panel->StatusLabel->setText(text);
    m_panel->StatusLabel->show();
    m_statusBarTimer->setInterval(seconds * 1000);
    m_statusBarTimer->setEnabled(true);
}

// ---------------------------------------------------------------- what the link reports

void TFMain::StatusRead(const DeviceStatus& status) {
    SetDeviceName(status.DeviceName);
    SetClockOffset(status.ClockOffset);
    SetRecordCount(status.RecordCount);
    SetLoggerVersion(status.LoggerVersion);
    SetBatteryText(status.BatteryText);
}

void TFMain::LinkConnected() {
    setWindowTitle(QStringLiteral("Ombrex V2.4 - ") + m_status.DeviceName);
    ConnectExecute();
    RefreshAllChildren();
}

// The tables were replaced: graphs span all days again, text windows show the new report.
void TFMain::DataDownloaded() {
    GotDataExecute();
    for (TChildGraph* g : GraphWindows())
        g->SetRange(0, DataUnit::DailyCount() - 1);
    for (TChildText* t : TextWindows())
        t->UpdateText();
    for (QMdiSubWindow* w : m_mdi->subWindowList()) {
        if (auto* h = qobject_cast<TChildHyetograph*>(w))
            h->Refresh();
        else if (auto* q = qobject_cast<TChildQuality*>(w))
            q->Refresh();
        else if (auto* s = qobject_cast<TChildStorms*>(w))
            s->UpdateStorms();
    }
}

void TFMain::ClockMeasured(double clockOffset, const QDateTime& pcNow) {
    SetDriftReading(Archive::ReadingFromStatus(clockOffset, pcNow));
}

void TFMain::DownloadCompleted(const QByteArray& raw, bool crcOk) {
    ArchiveDownload(raw, crcOk);
}

int TFMain::LastPort() const {
    return SettingsStore().ReadInteger(K::Settings, K::PortNumber, 1);
}

void TFMain::RememberPort(int port) {
    SettingsStore().WriteInteger(K::Settings, K::PortNumber, port);
}

// ---------------------------------------------------------------- actions

void TFMain::applyChanges(CommandState::Action action) {
    for (const auto& change : CommandState::Changes(action))
        Command(change.command)->setEnabled(change.enabled);
}

void TFMain::ConnectExecute() {
    SetConnected(true);
    m_panel->setConnected(true);
    Prompts::Guarded([this] { m_link->WatchLine(); });
    applyChanges(CommandState::Action::Connect);
    for (TChildInfo* w : InfoWindows())
        w->EnableExecute();
}

void TFMain::DisconnectExecute() {
    SetConnected(false);
    m_panel->setConnected(false);
    applyChanges(CommandState::Action::Disconnect);
    for (TChildInfo* w : InfoWindows())
        w->DisableExecute();
}

void TFMain::NoDataExecute() {
    applyChanges(CommandState::Action::NoData);
    DataUnit::ClearTables();
    forgetStationQuality();
    RefreshDataViews();
}

void TFMain::GotDataExecute() {
    applyChanges(CommandState::Action::GotData);
    // Decisions kept in memory name records of the tables just replaced.
    forgetStationQuality();
    for (TChildHyetograph* h : children<TChildHyetograph>())
        h->ShowAll();
}

void TFMain::ChildActivate() {
    QMdiSubWindow* active = ActiveChild();
    if (qobject_cast<TChildInfo*>(active) || qobject_cast<TChildQuality*>(active))
        applyChanges(CommandState::Action::ActivateInfo);
    else if (qobject_cast<TChildText*>(active))
        applyChanges(CommandState::Action::ActivateText);
    else if (qobject_cast<TChildGraph*>(active) || qobject_cast<TChildHyetograph*>(active))
        applyChanges(CommandState::Action::ActivateGraph);
    else if (qobject_cast<TChildStorms*>(active))
        applyChanges(CommandState::Action::ActivateStorms);
}

// The edit and print commands keep what the last activation set.
void TFMain::ChildDeactivate() {}

// ---------------------------------------------------------------- child windows

template <class T> QList<T*> TFMain::children() const {
    QList<T*> found;
    for (QMdiSubWindow* w : m_mdi->subWindowList())
        if (auto* t = qobject_cast<T*>(w))
            found.append(t);
    return found;
}

QList<TChildGraph*> TFMain::GraphWindows() const {
    return children<TChildGraph>();
}
QList<TChildText*> TFMain::TextWindows() const {
    return children<TChildText>();
}
QList<TChildInfo*> TFMain::InfoWindows() const {
    return children<TChildInfo>();
}
QList<TChildStorms*> TFMain::StormsWindows() const {
    return children<TChildStorms>();
}

QMdiSubWindow* TFMain::ActiveChild() const {
    return m_mdi->activeSubWindow();
}

void TFMain::SetGraphRange(int32_t first, int32_t last) {
    m_graphFirstDay = first;
    m_graphLastDay = last;
}

template <class T> void TFMain::showOrCreate() {
    for (T* w : children<T>()) {
        if (w->isMinimized())
            w->showNormal();
        w->show();
        m_mdi->setActiveSubWindow(w);
    }
    if (!qobject_cast<T*>(ActiveChild())) {
        auto* w = new T(this);
        m_mdi->addSubWindow(w);
        w->show();
        m_mdi->setActiveSubWindow(w);
    }
}

void TFMain::MnuInfoClick() {
    showOrCreate<TChildInfo>();
}
void TFMain::MnuTextClick() {
    showOrCreate<TChildText>();
}
void TFMain::MnuGraphClick() {
    showOrCreate<TChildGraph>();
}
void TFMain::MnuStormsClick() {
    showOrCreate<TChildStorms>();
}

void TFMain::MnuHyetographClick() {
    showOrCreate<TChildHyetograph>();
}
void TFMain::MnuQualityClick() {
    showOrCreate<TChildQuality>();
}

void TFMain::MnuLeaveOutFlagsClick() {
    const bool leaveOut = m_items["MnuLeaveOutFlags"]->isChecked();
    Analysis::SetLeaveOutAcceptedFlags(leaveOut);
    Prompts::Guarded(
        [&] { SettingsStore().WriteBool(K::Analysis, K::LeaveOutAcceptedFlags, leaveOut); });
    RefreshDataViews();
}

TChildGraph* TFMain::CreateGraphWindow() {
    auto* w = new TChildGraph(this);
    m_mdi->addSubWindow(w);
    w->show();
    m_mdi->setActiveSubWindow(w);
    return w;
}

QList<TChildHyetograph*> TFMain::HyetographWindows() const {
    return children<TChildHyetograph>();
}

TChildHyetograph* TFMain::CreateHyetographWindow() {
    auto* w = new TChildHyetograph(this);
    m_mdi->addSubWindow(w);
    w->show();
    m_mdi->setActiveSubWindow(w);
    return w;
}

void TFMain::OpenDefaultWindows() {
    for (QMdiSubWindow* w : {static_cast<QMdiSubWindow*>(new TChildInfo(this)),
                             static_cast<QMdiSubWindow*>(new TChildText(this)),
                             static_cast<QMdiSubWindow*>(new TChildGraph(this))}) {
        m_mdi->addSubWindow(w);
        w->show();
        m_mdi->setActiveSubWindow(w);
    }
    ApplyDefaultLayout();
}

void TFMain::ApplyDefaultLayout() {
    const QSize client = m_mdi->viewport()->size();
    for (QMdiSubWindow* w : m_mdi->subWindowList()) {
        if (w->isMinimized() || w->isMaximized())
            w->showNormal();
        if (qobject_cast<TChildInfo*>(w))
            w->setGeometry(0, 0, w->width(), 255);
        else if (qobject_cast<TChildText*>(w))
            w->setGeometry(200, 0, 340, 255);
        else if (qobject_cast<TChildGraph*>(w))
            w->setGeometry(0, 255, client.width() - 4, client.height() - 255 - 4);
    }
}

void TFMain::MnuTileClick() {
    m_mdi->tileSubWindows();
}
void TFMain::MnuCascadeClick() {
    m_mdi->cascadeSubWindows();
}

void TFMain::RefreshAllChildren() {
    for (TChildInfo* w : InfoWindows())
        w->EnableExecute();
    for (TChildText* w : TextWindows())
        w->StatusRefresh();
    for (TChildGraph* w : GraphWindows())
        w->UpdateGraph();
    for (TChildHyetograph* w : children<TChildHyetograph>())
        w->Refresh();
    for (TChildStorms* w : StormsWindows())
        w->UpdateStorms();
}

void TFMain::RefreshDataViews() {
    for (QMdiSubWindow* w : m_mdi->subWindowList()) {
        if (auto* g = qobject_cast<TChildGraph*>(w))
            g->UpdateGraph();
        else if (auto* t = qobject_cast<TChildText*>(w))
            t->UpdateText();
        else if (auto* h = qobject_cast<TChildHyetograph*>(w))
            h->Refresh();
        else if (auto* q = qobject_cast<TChildQuality*>(w))
            q->Refresh();
        else if (auto* s = qobject_cast<TChildStorms*>(w))
            s->UpdateStorms();
    }
}

// ---------------------------------------------------------------- routed edit commands

QPrinter* TFMain::Printer() {
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return m_printer.get();
}

void TFMain::MnuCopyClick() {
    if (auto* t = qobject_cast<TChildText*>(ActiveChild()))
        t->CopytoClipboardClick();
    else if (auto* g = qobject_cast<TChildGraph*>(ActiveChild()))
        g->CopyToClipboard();
    else if (auto* h = qobject_cast<TChildHyetograph*>(ActiveChild()))
        h->CopyToClipboard();
    else if (auto* s = qobject_cast<TChildStorms*>(ActiveChild()))
        s->CopyToClipboard();
}

void TFMain::MnuSelectAllClick() {
    if (auto* t = qobject_cast<TChildText*>(ActiveChild()))
        t->SelectAllClick();
    else if (auto* s = qobject_cast<TChildStorms*>(ActiveChild()))
        s->SelectAll();
}

void TFMain::MnuPrintClick() {
    if (!Prompts::Current().printerSetup(Printer()))
        return;
    if (auto* g = qobject_cast<TChildGraph*>(ActiveChild()))
        g->DoPrint(Printer());
    else if (auto* t = qobject_cast<TChildText*>(ActiveChild()))
        t->DoPrint(Printer());
    else if (auto* h = qobject_cast<TChildHyetograph*>(ActiveChild()))
        h->DoPrint(Printer());
    else if (auto* s = qobject_cast<TChildStorms*>(ActiveChild()))
        s->DoPrint(Printer());
}

// ---------------------------------------------------------------- storm analysis options

Analysis::StormOptions TFMain::StormOptions() const {
    Analysis::StormOptions o;
    SettingsStore store;
    o.SeparationMinutes = std::clamp(
        readOr([&] { return store.ReadInteger(K::Storms, K::SeparationMinutes, 360); }, 360), 0,
        10080);
    o.Energy = Analysis::EnergyEquation(std::clamp(
        readOr([&] { return store.ReadInteger(K::Storms, K::EnergyEquation, 0); }, 0), 0, 2));
    return o;
}

void TFMain::SetStormOptions(const Analysis::StormOptions& options) {
    Prompts::Guarded([&] {
        SettingsStore store;
        store.WriteInteger(K::Storms, K::SeparationMinutes, options.SeparationMinutes);
        store.WriteInteger(K::Storms, K::EnergyEquation, int(options.Energy));
    });
}

// The caption names the data set: "Ombrex V2.4 - <file or logger>".
QString TFMain::DataSetName() const {
    const QString title = windowTitle();
    const qsizetype dash = title.indexOf(QStringLiteral(" - "));
    return dash < 0 ? m_status.DeviceName : title.mid(dash + 3);
}

// ---------------------------------------------------------------- help, about, system

void TFMain::MnuHelpClick() {
    HelpSystem::ShowTopic(QStringLiteral("introduction.htm"));
}

void TFMain::firstRunHelp() {
    HelpSystem::ShowTopic(QStringLiteral("introduction.htm"));
    Prompts::Guarded([] { SettingsStore().WriteBool(K::General, K::ShowHelp, false); });
}

void TFMain::MnuAboutClick() {
    auto* about = new TSplashscreen(this, /*about=*/true);
    about->show();
}

void TFMain::MnuCheckVersionClick() {
    DesktopOpener::Open(QString(Links::WebSite));
}

void TFMain::MnuDeviceManagerClick() {
    ShowDeviceManager(this);
}

// Closes the serial port, then runs the Disconnect action.
void TFMain::MnuDisconnectClick() {
    m_link->ClosePort();
    DisconnectExecute();
}

void TFMain::MnuAutoDetectClick() {
    NoDataExecute();
    m_link->StartAutoDetect();
}

// The dialog runs its report itself; its result is not needed here.
void TFMain::MnuExportClick() {
    m_exportForm->setStormOptions(StormOptions());
    // The standard exports take an open station's name and clock zone (as its properties now
    // say) instead of asking.
    DataFormatsPanel* formats = m_exportForm->DataFormats();
    formats->ClearStation();
    if (StationArchive* archive = m_stationId != 0 ? StationStore() : nullptr) {
        Prompts::Guarded([&] {
            const auto station = archive->Settings(m_stationId);
            formats->SetStation(QString::number(m_stationId), station.Name, station.ZoneMinutes,
                                QStringLiteral("logger clock drift corrected where downloads "
                                               "measured it"));
        });
    }
    m_exportForm->exec();
}

void TFMain::MnuManualConnectClick() {
    m_link->StartManualConnect();
}

void TFMain::SetMainEnabled(bool enabled) {
    menuBar()->setEnabled(enabled);
    centralWidget()->setEnabled(enabled);
}

bool TFMain::ComPortOpen() const {
    return m_link->ComPort().Open();
}

bool TFMain::MainEnabled() const {
    return centralWidget()->isEnabled();
}

// ---------------------------------------------------------------- shut-down

// Not every platform remembers the normal place of a window that was shown maximised; the first
// restore puts it where the store says it was.
void TFMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || m_restoreGeometry.isNull())
        return;
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))) {
        const QRect place = m_restoreGeometry;
        m_restoreGeometry = QRect();
        QTimer::singleShot(0, this, [this, place] {
            resize(place.size());
            move(place.topLeft());
        });
    }
}

void TFMain::closeEvent(QCloseEvent* event) {
    MnuDisconnectClick();
    HelpSystem::CloseAll();
    Prompts::Guarded([this] { writeSettings(); });
    event->accept();
}
