#pragma once

#include <QtGlobal>
#include <atomic>
#include <optional>

// Reads a device's modem status lines. The bits are the program's own: 0x10 CTS, 0x20 DSR,
// 0x40 ring, 0x80 carrier detect. A device without modem lines (a pseudo-terminal) reports none.
class ModemLines {
public:
    static constexpr quint32 CtsOn = 0x10;
    static constexpr quint32 DsrOn = 0x20;
    static constexpr quint32 RingOn = 0x40;
    static constexpr quint32 RlsdOn = 0x80;

    virtual ~ModemLines() = default;
    // handle is the open device's descriptor.
    virtual std::optional<quint32> modemStatus(int handle) = 0;

    // The lines every port uses unless it was given its own (not owned; nullptr = the device's).
    static void InstallDefault(ModemLines* lines);
    static ModemLines& Default();
};

// The device's own lines (TIOCMGET).
class DeviceModemLines final : public ModemLines {
public:
    std::optional<quint32> modemStatus(int handle) override;
};

// Lines a test sets by hand, for devices that have none.
class SettableModemLines final : public ModemLines {
public:
    explicit SettableModemLines(quint32 status = 0) : m_status(status) {}
    void setStatus(quint32 status) { m_status = status; }
    void setCts(bool on) { m_status = on ? (m_status | CtsOn) : (m_status & ~CtsOn); }
    std::optional<quint32> modemStatus(int) override { return m_status.load(); }

private:
    std::atomic<quint32> m_status;
};
