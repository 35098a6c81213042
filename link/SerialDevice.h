#pragma once

#include <QString>
#include <memory>

class QLockFile;

// One opened serial device: exclusive (lock file in the common lock folder, as Qt's serial
// port and other serial programs use, plus TIOCEXCL), raw 8N1 without flow control, DTR and RTS
// asserted where the device has them. Errors are OmbrexError with the device named.
class SerialDevice {
public:
    SerialDevice();
    ~SerialDevice();
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    // portName ("COM3") only serves the messages.
    void open(const QString& portName, const QString& path, qint32 baud);
    void setBaud(qint32 baud);
    void close();

    bool isOpen() const { return m_fd >= 0; }
    int handle() const { return m_fd; }
    const QString& path() const { return m_path; }
    // Drops what the device has received and not yet been read.
    void flushInput();

    // "COM3 (/dev/ttyUSB0)"
    static QString Describe(const QString& portName, const QString& path);
    // The lock file that guards path against a second user.
    static QString LockFilePath(const QString& path);

private:
    QString describe() const { return Describe(m_portName, m_path); }
    void applySettings(qint32 baud);

    int m_fd = -1;
    QString m_portName;
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
