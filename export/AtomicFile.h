#pragma once

#include <QByteArray>
#include <QString>

// A file written beside its target under a hidden temporary name and renamed over the target
// only when complete. Destroyed without commit() (an error, a cancel) it removes the temporary
// file, and RemovePendingFiles() does the same from a signal handler, so an interrupted export
// never leaves a partial file. Errors throw OmbrexError naming the target and the reason.
class AtomicFile {
public:
    explicit AtomicFile(const QString& target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    const QString& target() const { return m_target; }
    // Where a library that opens files by name (libnetcdf) writes instead of the target.
    QString temporaryPath() const;

    void write(const char* data, size_t size);
    void write(const QByteArray& bytes) { write(bytes.constData(), size_t(bytes.size())); }
    // Closes this side of the temporary file for a library that writes it by name.
    void release();
    // Flushes to disk and puts the file in the target's place.
    void commit();

    [[noreturn]] void fail(const char* what, const QString& reason) const;

    // Async-signal-safe: removes every temporary file not yet committed.
    static void RemovePendingFiles();

private:
    QString m_target;
    QByteArray m_temporary; // local 8-bit path
    int m_fd = -1;
    int m_slot = -1;
    bool m_done = false;
};
