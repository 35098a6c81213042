#pragma once

#include <QByteArray>
#include <QString>
#include <thread>

// The far end of a pseudo-terminal, attached as COMn through the ports folder: what a logger
// would be on the other side of the line.
class PtyPeer {
public:
    // Creates the pair and links COM<port> to its device (0: no link).
    explicit PtyPeer(int port = 0);
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const QString& devicePath() const { return m_path; }
    void linkAs(int port);
    void unlink();

    // Writes everything (blocks until the line took it).
    void write(const QByteArray& bytes);
    // Writes in the background (large transfers); join with waitWritten().
    void writeAsync(QByteArray bytes);
    void waitWritten();
    // What the program sent, read until `count` bytes came or the time is up.
    QByteArray read(qsizetype count, int timeoutMs);
    QByteArray readAvailable(int timeoutMs = 50);
    // The line speed the program set on the device.
    int outputSpeed() const;
    // The device vanishes (hang-up on the program's side).
    void vanish();

private:
    int m_master = -1;
    int m_slave = -1; // kept open so the line settings and the master stay usable
    QString m_path;
    QString m_link;
    std::thread m_writer;
};
