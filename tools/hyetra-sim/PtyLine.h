#pragma once

#include <QString>

// The logger's end of the line: a pseudo-terminal whose device the program opens, attached as
// COMn by a link in the per-user ports folder.
class PtyLine {
public:
    PtyLine() = default;
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    bool open(QString& error);
    // Links COM<port> to the device. An entry that leads nowhere is replaced; one that maps a
    // device is only replaced with `replace`.
    bool attach(int port, bool replace, QString& error);
    // Removes the link if it is still ours.
    void detach();
    // The device disappears: link removed, both ends closed.
    void vanish();

    int masterFd() const { return m_master; }
    const QString& devicePath() const { return m_device; }
    const QString& linkPath() const { return m_link; }
    // Bytes sent that the program has not read yet.
    int unreadBytes() const;
    // The speed the program set on its side of the line (0 when unknown).
    int lineSpeed() const;

    static QString PortsFolder();

private:
    int m_master = -1;
    int m_slave = -1; // held open so the line stays up while the program closes and reopens it
    QString m_device;
    QString m_link;
};
