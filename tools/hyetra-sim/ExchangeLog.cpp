#include "tools/hyetra-sim/ExchangeLog.h"

#include <QDateTime>

bool ExchangeLog::open(const QString& path, QString& error) {
    m_clock.start();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        error = QStringLiteral("%1: %2").arg(path, m_file.errorString());
        return false;
    }
    return true;
}

QString ExchangeLog::Escape(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\r')
            text += QLatin1String("\\r");
        else if (c == '\n')
            text += QLatin1String("\\n");
        else if (c == '\\')
            text += QLatin1String("\\\\");
        else if (c >= 32 && c < 127)
            text += QLatin1Char(char(c));
        else
            text += QString::asprintf("\\x%02X", unsigned(c));
    }
    return text;
}

void ExchangeLog::received(const QByteArray& bytes) {
    write("RX", Escape(bytes));
}

void ExchangeLog::ignored(const QByteArray& bytes, const QString& why) {
    write("RX-IGNORED", Escape(bytes) + QStringLiteral(" (") + why + QLatin1Char(')'));
}

void ExchangeLog::sent(const QString& what, qsizetype bytes) {
    write("TX", QStringLiteral("%1 %2 bytes").arg(what).arg(bytes));
}

void ExchangeLog::event(const QString& text) {
    write("EV", text);
}

void ExchangeLog::write(const char* kind, const QString& text) {
    if (!m_file.isOpen())
        return;
    const QString line = QStringLiteral("%1 +%2 %3 %4\n")
                             .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")))
                             .arg(double(m_clock.elapsed()) / 1000.0, 0, 'f', 3)
                             .arg(QLatin1String(kind), text);
    m_file.write(line.toUtf8());
}
