#pragma once

// What the archive's source files share: statements that fail with the archive's name, the
// transaction of one change, and the conversions of stored values.
#include "archive/ArchiveTime.h"
#include "archive/StationArchive.h"
#include "ui/OmbrexError.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace ArchiveSql {

using namespace Archive;
using ArchiveTime::FromSeconds;
using ArchiveTime::Seconds;

inline const QString& EmptyText() {
    static const QString empty(QLatin1String(""));
    return empty;
}

inline QString NotNull(const QString& text) {
    return text.isNull() ? EmptyText() : text;
}

inline QString UtcText(const QDateTime& utc) {
    return utc.toUTC().toString(Qt::ISODate);
}

inline QDateTime FromUtcText(const QString& text) {
    return QDateTime::fromString(text, Qt::ISODate).toUTC();
}

inline Source SourceFromName(const QString& name) {
    for (Source s : {Source::Download, Source::RawCapture, Source::DataFile, Source::Tarnell})
        if (SourceName(s) == name)
            return s;
    return Source::DataFile;
}

inline QString DescribeRecord(int64_t rawTime, int32_t count, const QString& message) {
    QString text = LoggerTimeText(FromSeconds(rawTime)) + QStringLiteral(", count %1").arg(count);
    if (!message.isEmpty())
        text += QStringLiteral(", message \"%1\"").arg(message);
    return text;
}

// One statement, failing with the archive's name and the database's reason.
class Statement {
public:
    Statement(const StationArchive& archive, const QSqlDatabase& db, const QString& sql)
        : m_archive(archive), m_query(db) {
        m_query.setForwardOnly(true);
        if (!m_query.prepare(sql))
            fail();
    }
    Statement& bind(const QVariant& value) {
        m_query.addBindValue(value);
        return *this;
    }
    Statement& run() {
        if (!m_query.exec())
            fail();
        return *this;
    }
    bool next() { return m_query.next(); }
    QVariant value(int i) const { return m_query.value(i); }
    int64_t integer(int i) const { return m_query.value(i).toLongLong(); }
    QSqlQuery& query() { return m_query; }

    [[noreturn]] void fail() const;

private:
    const StationArchive& m_archive;
    QSqlQuery m_query;
};

// BEGIN IMMEDIATE takes the write lock at once, so a second writer waits (busy timeout) before
// it has read anything, instead of failing later when its snapshot turns out to be stale.
} // namespace ArchiveSql

class StationArchive::Transaction {
public:
    explicit Transaction(StationArchive& archive) : m_archive(archive) {
        QSqlDatabase db = archive.db();
        const bool sqlite = db.driverName() == QLatin1String("QSQLITE");
        ArchiveSql::Statement(archive, db,
                              sqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"))
            .run();
    }
    ~Transaction() {
        if (!m_done) {
            QSqlQuery q(m_archive.db());
            q.exec(QStringLiteral("ROLLBACK"));
        }
    }
    void commit() {
        ArchiveSql::Statement(m_archive, m_archive.db(), QStringLiteral("COMMIT")).run();
        m_done = true;
    }

private:
    StationArchive& m_archive;
    bool m_done = false;
};

namespace ArchiveSql {

inline void Statement::fail() const {
    const QSqlError error = m_query.lastError();
    QString reason = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    if (reason.contains(QLatin1String("locked")) || reason.contains(QLatin1String("busy")))
        reason = QStringLiteral("it is in use by another program (%1)").arg(reason);
    throw OmbrexError(
        QStringLiteral("The station archive \"%1\": %2").arg(m_archive.Path(), reason));
}

} // namespace ArchiveSql
