#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct chmFile;

// A compiled HTML help file opened for reading with chmlib.
class HelpChmFile {
public:
    HelpChmFile() = default;
    ~HelpChmFile();
    HelpChmFile(const HelpChmFile&) = delete;
    HelpChmFile& operator=(const HelpChmFile&) = delete;

    bool open(const QString& path);
    void close();
    bool isOpen() const { return m_file != nullptr; }
    QString path() const { return m_path; }

    // Paths inside the file are absolute ("/introduction.htm"); a path without the leading
    // "/" is taken from the root. Matching ignores case, as the help viewers of old did.
    bool contains(const QString& path) const;
    QByteArray read(const QString& path) const;
    // Every file stored in it (not the internal "#" and "$" entries), sorted.
    QStringList entries() const;
    // The table of contents (the first ".hhc" stored), empty when there is none.
    QString contentsPath() const;

private:
    QString resolve(const QString& path) const;

    chmFile* m_file = nullptr;
    QString m_path;
    QStringList m_entries;
};
