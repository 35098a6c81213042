#pragma once

#include "link/dialogs/TDLForm.h"
#include "link/dialogs/TFConnect.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <array>
#include <memory>

class IntervalTimer;
class PacketMatcher;
class SerialPort;
class TFMain;
class TFormErase;

// The conversations with the logger: discovery and connection, the maintenance commands and the
// download. Each runs as a chain of events: a command sends its bytes, arms the matcher for the
// reply and returns; the reply's handler sends the next bytes. The main window takes no input
// while a chain waits for the logger.
class LoggerLink : public QObject {
    Q_OBJECT
public:
    explicit LoggerLink(TFMain& main);
    ~LoggerLink() override;

    SerialPort& ComPort() { return *m_port; }
    PacketMatcher& DetectPingPacket() { return *m_detectPing; }
    PacketMatcher& QPacket() { return *m_q; }
    PacketMatcher& KPacket() { return *m_k; }
    PacketMatcher& CPacket() { return *m_c; }
    PacketMatcher& OPacket() { return *m_o; }
    IntervalTimer& PingTimer() { return *m_pingTimer; }
    IntervalTimer& DLtimer() { return *m_dlTimer; }
    TFConnect* ConnectDialog() const { return m_connect; }
    TDLForm* DownloadDialog() const { return m_dlForm; }
    TFormErase* EraseDialog() const { return m_erase; }
    bool DownloadActive() const { return m_downloadActive; }
    int PingRetries() const { return m_pingRetries; }

    // The logger model's line speed and set-clock reply end; at once, also on an open port.
    void ApplyModel(int baud, const QByteArray& kPacketEnd);

    // Discovery and connection.
    void StartAutoDetect();
    void StartManualConnect();
    void SendPing();
    void PingTimerTimer();
    void DetectPingPacketStringPacket();
    void QPacketStringPacket(const QByteArray& reply);
    void QPacketTimeout();
    void ConnectCancel();
    void WatchLine(); // arms the line watch: every Connect action
    void ComPortTriggerModemStatus();
    void ComPortDeviceLost();
    void ClosePort();

    // Maintenance.
    void MnuSetClockClick();
    void KPacketStringPacket();
    void KPacketTimeout();
    void MnuSetIdClick();
    void SetNameMessage();
    void MnuClearClick();
    void CPacketStringPacket();
    void CPacketTimeout();
    void EraseTimeUp();

    // Download.
    void MnuDownloadClick();
    void ComPortTriggerAvail(int count);
    void DLtimerTimer();
    void OPacketStringPacket();
    void AbortButtonClick();

private:
    void send(char byte);
    void send(const QByteArray& bytes);
    void arm(PacketMatcher& matcher);
    void disarmAll();
    bool openPort(int n); // false when it could not be opened; the scan goes on
    bool openFirstAvailable(int from);
    void closeConnectDialog();
    void linkLost();
    void startSetClock();
    void startClear();
    void saveCapture();
    void endDownloadDialog();
    void endDownload();

    TFMain& m_main;
    std::unique_ptr<SerialPort> m_port;
    PacketMatcher* m_detectPing;
    PacketMatcher* m_q;
    PacketMatcher* m_k;
    PacketMatcher* m_c;
    PacketMatcher* m_o;
    IntervalTimer* m_pingTimer;
    IntervalTimer* m_dlTimer;
    QPointer<TFConnect> m_connect;
    QPointer<TDLForm> m_dlForm;
    TFormErase* m_erase;
    int m_pingRetries = 0;
    bool m_clockChain = false;   // a clock setting waits for its replies
    bool m_clearPending = false; // a confirmed clearing waits for that

    bool m_downloadActive = false;
    std::array<char, 26> m_lineBuffer{}; // positions 1..25
    int m_lineIndex = 1;
};
