#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class ModemLines;
class PacketMatcher;
class PortMatchers;
class PortReader;
class SerialDevice;

// One serial port "COM%d" with a background reader. Every event reaches the program on the GUI
// thread, one at a time per port: for each batch of received bytes first the armed matchers
// (their OnStringPacket or OnTimeout), then OnTriggerAvail(count). While a handler of the port
// runs (also while it pauses), no further event of the port is delivered. An error a handler
// throws is shown by the general error display and dispatching goes on.
class SerialPort : public QObject {
    Q_OBJECT
public:
    explicit SerialPort(QObject* parent = nullptr);
    ~SerialPort() override;

    // 0 = none. On an open port a change closes, changes and opens again.
    quint16 ComNumber() const { return m_comNumber; }
    void setComNumber(quint16 n);
    // On an open port the line is reconfigured at once.
    qint32 Baud() const { return m_baud; }
    void setBaud(qint32 baud);
    bool DTR() const { return true; }
    bool RTS() const { return true; }
    quint16 InSize() const { return m_inSize; }
    void setInSize(quint16 size) { m_inSize = size; }
    // Room of the transmit queue.
    quint16 OutSize() const { return m_outSize; }
    void setOutSize(quint16 size) { m_outSize = size; }

    bool Open() const { return m_open; }
    // Opening failure throws OmbrexError naming the device and the cause; Open stays false.
    void setOpen(bool open);
    // With false, every operation on a closed port throws "port not open" instead of opening it.
    bool AutoOpen() const { return m_autoOpen; }
    void setAutoOpen(bool on) { m_autoOpen = on; }
    // Opening with ComNumber 0 asks the installed PortChooser.
    bool PromptForPort() const { return m_promptForPort; }
    void setPromptForPort(bool on) { m_promptForPort = on; }
    int Tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    // The device path of the open port ("" while closed).
    QString DevicePath() const;

    // Queue bytes for sending and return at once. A string larger than the free room of the
    // transmit queue is refused (throws) and nothing of it is queued.
    void SendChar(char byte);
    void SendString(const QByteArray& bytes);
    // Drops every received byte not yet handed to the matchers and OnTriggerAvail.
    void FlushInput();
    // The next new byte; only inside OnTriggerAvail, count times.
    char ReadChar() {
        if (!m_inTriggerAvail || m_readPos >= m_readBatch.size())
            throwNoByteToRead();
        return m_readBatch.constData()[m_readPos++];
    }
    // One-shot watch of the CTS line: OnTriggerModemStatus once, when it differs from now.
    void WatchCtsChange();
    // The modem lines this port reads (not owned; nullptr = ModemLines::Default()).
    void setModemLines(ModemLines* lines) { m_modemLines = lines; }

    std::function<void(SerialPort&, int)> OnTriggerAvail;
    std::function<void(SerialPort&)> OnTriggerModemStatus;
    // The device went away (unplugged, its other end closed); reading has stopped. Runs once,
    // after the loss was reported.
    std::function<void(SerialPort&)> OnDeviceLost;

    // "COM3 (/dev/ttyUSB0)" for messages.
    QString Describe() const;
    // Bytes the matchers of this port hold now (for checks).
    qsizetype MatcherBufferSize() const;

private:
    [[noreturn]] void throwNoByteToRead() const;
    friend class PacketMatcher;
    friend class PortMatchers;

    void openNow();
    void closeNow();
    void requireOpen(const char* operation);
    void notifyFromReader();
    void dispatchReceived();
    void timeoutTimerFired();
    void pollModemLines();
    void scheduleResume();
    void resumeEvents();
    // Runs a handler at the event boundary of this port.
    void callHandler(const std::function<void()>& handler, bool matcherHandler);
    bool inEvent() const { return m_eventDepth > 0; }
    bool inMatcherHandler() const { return m_matcherHandlerDepth > 0; }

    quint16 m_comNumber = 0;
    qint32 m_baud = 9600;
    quint16 m_inSize = 4096;
    quint16 m_outSize = 4096;
    bool m_open = false;
    bool m_autoOpen = false;
    bool m_promptForPort = true;
    int m_tag = 0;

    std::unique_ptr<SerialDevice> m_device;
    std::unique_ptr<PortReader> m_reader;
    std::unique_ptr<PortMatchers> m_matchers;
    quint64 m_generation = 0; // grows at every open and close
    bool m_lossReported = false;

    int m_eventDepth = 0;
    int m_matcherHandlerDepth = 0;
    bool m_resumePending = false;
    bool m_dataDeferred = false;
    bool m_timeoutDeferred = false;

    QByteArray m_readBatch; // the bytes OnTriggerAvail may read
    qsizetype m_readPos = 0;
    bool m_inTriggerAvail = false;

    ModemLines* m_modemLines = nullptr;
    QTimer m_modemTimer;
    bool m_ctsWatch = false;
    bool m_ctsLevel = false;
};
