#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

// Reads a text file line by line (LF or CR LF ends, removed) in fixed-size chunks. Only the
// first `maxLength` characters of a line are kept, so a file without line ends or a binary file
// costs no more memory than one chunk and one capped line.
class LineReader {
public:
    LineReader(QIODevice& device, qsizetype maxLength);

    // The next line, or false at the end of the file or on a read failure.
    bool Next(QString& line);
    bool Failed() const { return m_failed; }
    QString ErrorString() const;

private:
    bool Fill();

    QIODevice& m_device;
    qsizetype m_maxLength;
    QByteArray m_chunk;
    qsizetype m_pos = 0;
    bool m_atEnd = false;
    bool m_failed = false;
};
