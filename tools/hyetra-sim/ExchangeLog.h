#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>

// One line an event, written at once:
//   HH:mm:ss.zzz +seconds.mmm KIND text
// KIND is RX (a command as received, bytes escaped), RX-IGNORED (bytes the logger did not
// take, with the reason), TX (a reply started: its kind and size) or EV (what the logger did).
// Escapes: \r \n \\ and \xNN for every other byte outside printable ASCII.
class ExchangeLog {
public:
    bool open(const QString& path, QString& error);
    void received(const QByteArray& bytes);
    void ignored(const QByteArray& bytes, const QString& why);
    void sent(const QString& what, qsizetype bytes);
    void event(const QString& text);

    static QString Escape(const QByteArray& bytes);

private:
    void write(const char* kind, const QString& text);
    QFile m_file;
    QElapsedTimer m_clock;
};
