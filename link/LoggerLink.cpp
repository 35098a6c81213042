#include "link/LoggerLink.h"

#include "data/CaptureStream.h"
#include "data/DataUnit.h"
#include "link/LinkHost.h"
#include "link/PacketMatcher.h"
#include "link/PauseTicks.h"
#include "link/PortAccess.h"
#include "link/PortAvailable.h"
#include "link/PortMap.h"
#include "link/SerialPort.h"
#include "link/StatusReply.h"
#include "link/dialogs/TDLForm.h"
#include "link/dialogs/TFConnect.h"
#include "link/dialogs/TFName.h"
#include "link/dialogs/TFormErase.h"
#include "ui/IntervalTimer.h"
#include "ui/OmbrexError.h"
#include "ui/Prompts.h"

#include <QLineEdit>
#include <QSaveFile>
#include <QTimer>

namespace {

PacketMatcher* makeMatcher(SerialPort* port, QObject* parent, PacketMatcher::TStartCond start,
                           const QByteArray& startString, const QByteArray& end, bool include,
                           int timeOut, int packetSize) {
    auto* m = new PacketMatcher(port, parent);
    m->setIgnoreCase(true);
    m->setAutoEnable(false);
    m->setStartCond(start);
    m->setStartString(startString);
    m->setEndCond(PacketMatcher::ecString);
    m->setEndString(end);
    m->setIncludeStrings(include);
    m->setTimeOut(timeOut);
    m->setPacketSize(packetSize);
    return m;
}

const QString kWatchdogText = QStringLiteral(
    "The Hyetra has not sent data for some time. Try wait another 30 seconds before clicking the "
    "Abort button. \r\n A weak battery can cause download problems.");

} // namespace

LoggerLink::LoggerLink(LinkHost& host, QWidget* window)
    : QObject(window), m_host(host), m_window(window) {
    m_port = std::make_unique<SerialPort>();
    m_port->setInSize(4096);
    m_port->setOutSize(4096);
    m_port->setAutoOpen(false);
    m_port->setPromptForPort(true);
    m_port->OnTriggerAvail = [this](SerialPort&, int count) { ComPortTriggerAvail(count); };
    m_port->OnTriggerModemStatus = [this](SerialPort&) { ComPortTriggerModemStatus(); };
    m_port->OnDeviceLost = [this](SerialPort&) { ComPortDeviceLost(); };

    SerialPort* p = m_port.get();
    using PM = PacketMatcher;
    m_detectPing = makeMatcher(p, this, PM::scAnyData, {}, ">", true, 100, 1);
    m_q = makeMatcher(p, this, PM::scAnyData, {}, "OK\r\n", true, 100, 2);
    m_k = makeMatcher(p, this, PM::scAnyData, "\n\r", "\r", true, 30, 0);
    m_c = makeMatcher(p, this, PM::scString, "OK", "\r\n", true, 30, 0);
    m_o = makeMatcher(p, this, PM::scString, "O", "K\r\n", false, 0, 0);
    m_detectPing->OnStringPacket = [this](PM&, const QByteArray&) {
        DetectPingPacketStringPacket();
    };
    m_q->OnStringPacket = [this](PM&, const QByteArray& text) { QPacketStringPacket(text); };
    m_q->OnTimeout = [this](PM&) { QPacketTimeout(); };
    m_k->OnStringPacket = [this](PM&, const QByteArray&) { KPacketStringPacket(); };
    m_k->OnTimeout = [this](PM&) { KPacketTimeout(); };
    m_c->OnStringPacket = [this](PM&, const QByteArray&) { CPacketStringPacket(); };
    m_c->OnTimeout = [this](PM&) { CPacketTimeout(); };
    m_o->OnStringPacket = [this](PM&, const QByteArray&) { OPacketStringPacket(); };

    m_pingTimer = new IntervalTimer(1000, this);
    m_pingTimer->onTimer = [this] { Prompts::Guarded([this] { PingTimerTimer(); }); };
    m_dlTimer = new IntervalTimer(8000, this);
    m_dlTimer->onTimer = [this] { DLtimerTimer(); };

    m_erase = new TFormErase(m_window);
    m_erase->onTimeUp = [this] { Prompts::Guarded([this] { EraseTimeUp(); }); };
}

LoggerLink::~LoggerLink() {
    m_pingTimer->setEnabled(false);
    m_dlTimer->setEnabled(false);
    if (m_port->Open())
        m_port->setOpen(false);
}

void LoggerLink::ApplyModel(int baud, const QByteArray& kPacketEnd) {
    m_port->setBaud(baud);
    m_k->setEndString(kPacketEnd);
}

void LoggerLink::send(char byte) {
    m_port->SendChar(byte);
}
void LoggerLink::send(const QByteArray& bytes) {
    m_port->SendString(bytes);
}
void LoggerLink::arm(PacketMatcher& matcher) {
    matcher.setEnabled(true);
}

void LoggerLink::disarmAll() {
    for (PacketMatcher* m : {m_detectPing, m_o, m_c, m_k, m_q})
        m->setEnabled(false);
}

// A closed port is a lost link: no matcher may wake up on whatever port opens next.
void LoggerLink::ClosePort() {
    disarmAll();
    if (m_port->Open())
        m_port->setOpen(false);
}

// The logger is gone (its line changed, or its device disappeared): whatever chain was waiting
// for it ends here, and the window takes input again.
void LoggerLink::linkLost() {
    m_clockChain = false;
    m_clearPending = false;
    m_pingTimer->setEnabled(false);
    if (m_downloadActive)
        AbortButtonClick();
    disarmAll();
    if (m_erase->isVisible())
        m_erase->Finish();
    closeConnectDialog();
    m_host.LinkDisconnected();
    m_host.HoldInput(false);
}

// ---------------------------------------------------------------- discovery

// A port that passed the availability test can still fail to open (it was taken in between, or
// it rejects the settings); the scan skips it instead of stopping on it.
bool LoggerLink::openPort(int n) {
    try {
        m_port->setComNumber(static_cast<quint16>(n));
        m_port->setOpen(true);
    } catch (const OmbrexError&) {
        return false;
    }
    return m_port->Open();
}

bool LoggerLink::openFirstAvailable(int from) {
    for (int n = from; n <= PortMap::LastPort; ++n)
        if (PortAvailable(n) && openPort(n))
            return true;
    return false;
}

void LoggerLink::closeConnectDialog() {
    if (m_connect) {
        m_connect->Timer1->setEnabled(false);
        m_connect->hide();
        m_connect->deleteLater();
        m_connect = nullptr;
    }
}

void LoggerLink::StartAutoDetect() {
    ClosePort();
    closeConnectDialog();
    m_connect = new TFConnect(m_window);
    m_connect->onCancel = [this] { ConnectCancel(); };
    m_connect->show();
    m_host.HoldInput(true);

    const int stored = m_host.LastPort();
    m_port->setComNumber(static_cast<quint16>(std::clamp(stored, 0, 65535)));
    if (PortAvailable(stored))
        openPort(stored);
    m_connect->ShowScanningPort(stored);
    m_port->setTag(1);

    if (!m_port->Open())
        openFirstAvailable(1);
    if (m_port->Open()) {
        m_connect->ShowScanningPort(m_port->ComNumber());
        m_pingRetries = 0;
        SendPing();
    } else {
        closeConnectDialog();
        // On Linux the usual reason is a device the user may not open: say so, with the fix.
        const QString denied = PortAccess::NoPermissionMessage(PortAccess::ProbeMappedPorts());
        if (denied.isEmpty())
            Prompts::ShowMessage(QStringLiteral("No Available serial ports!"));
        else
            Prompts::ShowError(denied);
        m_host.HoldInput(false);
    }
}

void LoggerLink::StartManualConnect() {
    ClosePort();
    m_host.LinkDisconnected();
    m_port->setComNumber(0);
    m_port->setTag(2);
    try {
        m_port->setOpen(true);
    } catch (const OmbrexError& e) {
        // Cancelling the port choice is not an error worth a message; a chosen port that will
        // not open is.
        if (m_port->ComNumber() != 0)
            Prompts::ShowGeneralError(e.message());
        return;
    }
    if (m_port->ComNumber() == 0 || !m_port->Open())
        return;
    closeConnectDialog();
    m_connect = new TFConnect(m_window);
    m_connect->onCancel = [this] { ConnectCancel(); };
    m_connect->show();
    m_host.HoldInput(true);
    m_connect->ShowScanningPort(m_port->ComNumber());
    m_pingRetries = 0;
    SendPing();
}

void LoggerLink::SendPing() {
    m_port->FlushInput();
    arm(*m_detectPing);
    m_pingTimer->setEnabled(true);
    send(':');
}

void LoggerLink::PingTimerTimer() {
    m_detectPing->setEnabled(false);
    m_pingTimer->setEnabled(false);
    if (m_pingRetries < 4) {
        ++m_pingRetries;
        SendPing();
        return;
    }
    ClosePort();
    if (m_port->Tag() == 1) {
        m_port->setComNumber(0);
        m_port->setTag(0);
    }
    if (m_port->ComNumber() < PortMap::LastPort && m_port->Tag() != 2)
        openFirstAvailable(m_port->ComNumber() + 1);
    if (m_port->Open()) {
        if (m_connect)
            m_connect->ShowScanningPort(m_port->ComNumber());
        m_pingRetries = 0;
        SendPing();
    } else {
        m_host.HoldInput(false);
        closeConnectDialog();
        Prompts::ShowError(QStringLiteral("No devices were found!"));
    }
}

void LoggerLink::DetectPingPacketStringPacket() {
    m_host.HoldInput(false);
    m_pingTimer->setEnabled(false);
    m_detectPing->setEnabled(false);
    arm(*m_q);
    send('Q');
}

void LoggerLink::QPacketStringPacket(const QByteArray& reply) {
    if (m_erase->isVisible())
        m_erase->Finish();
    m_host.HoldInput(false);

    DeviceStatus status = m_host.Status();
    const QDateTime pcNow = QDateTime::currentDateTime();
    const StatusReplyResult result = ParseStatusReply(reply, status, FromQDateTime(pcNow));
    // The reply after a clock setting says nothing of the drift the logger's records carry.
    if (result.complete && !m_clockChain)
        m_host.ClockMeasured(status.ClockOffset, pcNow);
    m_host.StatusRead(status);
    if (result.versionReached)
        Prompts::Guarded([this] { m_host.RememberPort(m_port->ComNumber()); });
    if (result.complete)
        m_host.LinkConnected();
    closeConnectDialog();
    m_clockChain = false;
    if (m_clearPending)
        startClear();
}

void LoggerLink::QPacketTimeout() {
    m_clockChain = false;
    m_clearPending = false;
    closeConnectDialog();
    m_host.HoldInput(false);
    m_q->setEnabled(false);
    ClosePort();
    m_host.LinkDisconnected();
    Prompts::ShowMessage(QStringLiteral("The unit is not responding correctly"));
}

// The status matcher is disarmed as well: left armed on a closed port it would wake up on the
// next scan's port and take that port's first bytes for a status reply.
void LoggerLink::ConnectCancel() {
    ClosePort();
    m_host.HoldInput(false);
    m_pingTimer->setEnabled(false);
    m_detectPing->setEnabled(false);
    m_q->setEnabled(false);
    closeConnectDialog();
}

void LoggerLink::WatchLine() {
    if (m_port->Open())
        m_port->WatchCtsChange();
}

// The port stays open; the next command closes it.
void LoggerLink::ComPortTriggerModemStatus() {
    linkLost();
}

// An unplugged logger sends nothing more, whether a command was running or not: a download ends
// as an abort would (what arrived stays in "download.txt"), and the program disconnects at once
// rather than offering commands that can only run into a time-out.
void LoggerLink::ComPortDeviceLost() {
    linkLost();
    ClosePort();
}

// ---------------------------------------------------------------- maintenance

void LoggerLink::startSetClock() {
    m_clockChain = true;
    m_host.HoldInput(true);
    m_host.ShowStatus(QStringLiteral("Setting clock..."), 0);
    send(':');
    PauseTicks(5);
    send('k');
    PauseTicks(5);
    arm(*m_k);
    send(ClockText(NowDateTime()));
    m_port->FlushInput();
}

void LoggerLink::MnuSetClockClick() {
    startSetClock();
}

void LoggerLink::KPacketStringPacket() {
    send(':');
    PauseTicks(10);
    m_host.ShowStatus(QStringLiteral("Clock Set"), 2);
    PauseTicks(10);
    arm(*m_q);
    send('Q');
}

void LoggerLink::KPacketTimeout() {
    m_clockChain = false;
    m_host.HoldInput(false);
    m_host.ShowStatus(QStringLiteral("Error setting clock!"), 3);
    if (m_clearPending)
        startClear();
}

void LoggerLink::MnuSetIdClick() {
    auto* dialog = new TFName(m_window, m_host.Status().DeviceName);
    dialog->onOk = [this](const QString& name) {
        // The exchange starts once the dialog's own click handling has finished.
        QTimer::singleShot(0, this, [this] { Prompts::Guarded([this] { SetNameMessage(); }); });
        m_host.NameChosen(name);
        m_host.HoldInput(false);
    };
    dialog->onCancel = [this] { m_host.HoldInput(false); };
    m_host.HoldInput(true);
    dialog->show();
    dialog->Edit1->setFocus();
}

void LoggerLink::SetNameMessage() {
    m_host.HoldInput(true);
    m_host.ShowStatus(QStringLiteral("Setting Name..."), 0);
    send(':');
    PauseTicks(10);
    send('m');
    PauseTicks(10);
    send(m_host.Status().DeviceName.toLatin1() + "\r\n");
    PauseTicks(15);
    send(':');
    PauseTicks(10);
    m_host.ShowStatus(QStringLiteral("Name Set"), 2);
    m_port->FlushInput();
    arm(*m_q);
    send('Q');
}

void LoggerLink::MnuClearClick() {
    startSetClock();
    if (!Prompts::WarningYesNo(QStringLiteral("All data in the device will be lost, erase now?")))
        return;
    // The logger takes one command at a time: a "c" sent while it still answers the clock
    // setting would be lost. The clearing starts once the clock's status reply is in.
    if (m_clockChain) {
        m_host.HoldInput(true);
        m_clearPending = true;
        return;
    }
    startClear();
}

void LoggerLink::startClear() {
    m_clearPending = false;
    m_host.HoldInput(true);
    m_host.ShowStatus(QStringLiteral("Clearing memory..."), 0);
    send(':');
    PauseTicks(10);
    arm(*m_c);
    send('c');
    m_erase->Start();
}

// Also a late answer, after the erase window's 31 seconds: the chain goes on as usual.
void LoggerLink::CPacketStringPacket() {
    m_host.HoldInput(true);
    send(':');
    PauseTicks(10);
    m_host.ShowStatus(QStringLiteral("Memory cleared"), 2);
    m_port->FlushInput();
    arm(*m_q);
    send('Q');
}

// The erase window has run its time; the logger may still be clearing. CPacket stays armed: a
// late answer is handled as any other, and only a lost link disarms it.
void LoggerLink::EraseTimeUp() {
    m_host.HoldInput(false);
}

void LoggerLink::CPacketTimeout() {
    m_host.HoldInput(false);
    Prompts::ShowMessage(QStringLiteral("Error clearing memory!"));
    m_host.ShowStatus(QStringLiteral("Error, memory not cleared"), 2);
}

// ---------------------------------------------------------------- download

void LoggerLink::MnuDownloadClick() {
    m_host.HoldInput(true);
    endDownloadDialog();
    m_dlForm = new TDLForm(m_window, m_host.Status().RecordCount);
    m_dlForm->onAbort = [this] { Prompts::Guarded([this] { AbortButtonClick(); }); };
    m_dlForm->show();
    send(':');
    PauseTicks(10);
    m_host.ShowStatus(QStringLiteral("Downloading..."), 0);
    m_port->FlushInput();
    m_lineIndex = 1;
    DataUnit::ClearTables();
    m_downloadActive = true;
    CaptureStream::Create();
    PauseTicks(10);
    arm(*m_o);
    send(DownloadCommand(m_host.Status().LoggerVersion));
    m_dlTimer->setEnabled(true);
}

void LoggerLink::ComPortTriggerAvail(int count) {
    if (!m_downloadActive || count == 0)
        return;
    QByteArray batch(count, Qt::Uninitialized);
    char* out = batch.data();
    bool lineEnded = false;
    for (int i = 0; i < count; ++i) {
        const char b = m_port->ReadChar();
        m_lineBuffer[m_lineIndex] = b;
        out[i] = b;
        if (b == '\n' && m_lineIndex > 1 && m_lineBuffer[m_lineIndex - 1] == '\r') {
            lineEnded = true;
            m_lineIndex = 0;
            if (m_dlForm)
                m_dlForm->Advance();
        }
        if (++m_lineIndex > 25)
            m_lineIndex = 1;
    }
    // The whole batch is handled at once, so feeding the watchdog at its end counts from the
    // same moment as feeding it at each line end, at a thousandth of the timer work.
    if (lineEnded)
        m_dlTimer->restart();
    CaptureStream::Append(batch);
}

void LoggerLink::DLtimerTimer() {
    m_dlTimer->setEnabled(false);
    Prompts::ShowMessage(kWatchdogText);
}

// "download.txt" beside the user's work; a folder that cannot take it must not cost the data.
void LoggerLink::saveCapture() {
    QSaveFile file(QStringLiteral("download.txt"));
    if (!file.open(QIODevice::WriteOnly) || file.write(CaptureStream::Bytes()) < 0 ||
        !file.commit())
        Prompts::ShowError(QStringLiteral("The raw download could not be written to "
                                          "\"download.txt\": %1")
                               .arg(file.errorString()));
}

void LoggerLink::endDownloadDialog() {
    if (m_dlForm) {
        m_dlForm->hide();
        m_dlForm->deleteLater();
        m_dlForm = nullptr;
    }
}

// The end of the transfer is handled once the batch that completed it has been captured too:
// the matchers see a batch before the capture does, and a large batch (a fast line, a busy
// window) would otherwise lose its records and the check sum field.
void LoggerLink::OPacketStringPacket() {
    m_o->setEnabled(false);
    m_dlTimer->setEnabled(false);
    QTimer::singleShot(0, this, [this] { Prompts::Guarded([this] { endDownload(); }); });
}

void LoggerLink::endDownload() {
    if (!m_downloadActive)
        return;
    m_dlTimer->setEnabled(false); // the last batch's line ends fed it again
    saveCapture();
    const QByteArray raw = CaptureStream::Bytes(); // the parse releases the stream
    const bool crcOk = CheckDownloadCrc();
    if (!crcOk)
        Prompts::ShowError(QStringLiteral("CRC Error!\rThe downloaded data's checksum failed.\r"
                                          "The integrity of the data can not be guarenteed.\r"
                                          "Try downloading again."));
    DataUnit::ParseDownload(m_host.Status().LoggerVersion);
    // The host hears of the data once both tables are whole.
    DataUnit::BuildDailyTable(DataUnit::StartTime());
    m_host.HoldInput(false);
    m_host.DataDownloaded();
    endDownloadDialog();
    m_downloadActive = false;
    m_host.ShowStatus(QStringLiteral("Download complete"), 2);
    m_host.DownloadCompleted(raw, crcOk);
}

void LoggerLink::AbortButtonClick() {
    m_o->setEnabled(false);
    m_dlTimer->setEnabled(false);
    saveCapture();
    CaptureStream::Release();
    m_host.HoldInput(false);
    m_host.ShowStatus(QStringLiteral("Download Error!"), 2);
    m_downloadActive = false;
    endDownloadDialog();
}
