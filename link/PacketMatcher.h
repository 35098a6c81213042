#pragma once

#include <QByteArray>
#include <QFlags>
#include <QObject>
#include <QPointer>
#include <functional>

class SerialPort;
class PortMatchers;

// Picks one framed packet out of its port's received bytes and reports it as one event.
// All matchers of a port share one buffer, one capture and one time-out timer (PortMatchers).
class PacketMatcher : public QObject {
    Q_OBJECT
public:
    enum TStartCond { scString, scAnyData };
    enum TEndCondition { ecString = 1, ecPacketSize = 2 };
    Q_DECLARE_FLAGS(TEndCond, TEndCondition)

    static constexpr int DefaultTimeOut = 2184; // ticks of 55 ms: two minutes

    explicit PacketMatcher(SerialPort* port, QObject* parent = nullptr);
    ~PacketMatcher() override;

    SerialPort* ComPort() const { return m_port; }

    // Armed (or marked to arm). Setting true arms, false disarms; arming checks the properties
    // and throws OmbrexError when they do not fit together.
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    bool AutoEnable() const { return m_autoEnable; }
    void setAutoEnable(bool on) { m_autoEnable = on; }
    TStartCond StartCond() const { return m_startCond; }
    void setStartCond(TStartCond cond) { m_startCond = cond; }
    TEndCond EndCond() const { return m_endCond; }
    void setEndCond(TEndCond cond) { m_endCond = cond; }
    const QByteArray& StartString() const { return m_startString; }
    void setStartString(const QByteArray& text) { m_startString = text; }
    const QByteArray& EndString() const { return m_endString; }
    // On an armed matcher this disarms and arms again.
    void setEndString(const QByteArray& text);
    bool IgnoreCase() const { return m_ignoreCase; }
    void setIgnoreCase(bool on) { m_ignoreCase = on; }
    bool IncludeStrings() const { return m_includeStrings; }
    void setIncludeStrings(bool on) { m_includeStrings = on; }
    int PacketSize() const { return m_packetSize; }
    void setPacketSize(int size) { m_packetSize = size; }
    // Ticks of 55 ms allowed for collecting; 0 = no limit.
    int TimeOut() const { return m_timeOut; }
    void setTimeOut(int ticks) { m_timeOut = ticks; }

    // Handlers run on the GUI thread, one at a time per port. The text is the packet's bytes.
    std::function<void(PacketMatcher&, const QByteArray&)> OnStringPacket;
    std::function<void(PacketMatcher&)> OnTimeout;
    std::function<void(PacketMatcher&, const char*, int)> OnPacket;

    // Throws OmbrexError when the properties cannot be armed.
    void CheckProperties() const;

    // Where a matcher stands (kept by PortMatchers).
    enum class Mode { Idle, WaitStart, WaitCapture, Collecting };

private:
    friend class PortMatchers;

    QPointer<SerialPort> m_port;
    PortMatchers* matchers() const;

    bool m_enabled = false;
    bool m_autoEnable = true;
    TStartCond m_startCond = scString;
    TEndCond m_endCond;
    QByteArray m_startString;
    QByteArray m_endString;
    bool m_ignoreCase = true;
    bool m_includeStrings = true;
    int m_packetSize = 0;
    int m_timeOut = DefaultTimeOut;

    // Matching state, kept by PortMatchers. Positions index the port's matcher buffer.
    bool m_active = false;     // taking bytes (armed, port open, not waiting for a handler)
    bool m_armPending = false; // marked: arms when the port opens or the handler returned
    quint64 m_armOrder = 0;
    Mode m_mode = Mode::Idle;
    QByteArray m_start; // prepared patterns (upper case with IgnoreCase)
    QByteArray m_end;
    QByteArray m_preparedStart; // what m_start and m_end were prepared from
    QByteArray m_preparedEnd;
    bool m_preparedCase = false;
    qsizetype m_scanPos = 0; // next byte this matcher looks at
    qsizetype m_packetStart = -1;
    qsizetype m_startMatched = 0;
    qsizetype m_endMatched = 0;
    qsizetype m_endMatchStart = 0;
    qsizetype m_reached = 0; // furthest byte collected, for ecPacketSize
};

Q_DECLARE_OPERATORS_FOR_FLAGS(PacketMatcher::TEndCond)
