#include "archive/StationArchive.h"

#include "analysis/RainSeries.h"
#include "archive/ArchiveSchema.h"
#include "archive/ArchiveTime.h"
#include "ui/OmbrexError.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <optional>

using namespace Archive;
using ArchiveTime::FromSeconds;
using ArchiveTime::Seconds;

namespace {

std::atomic<int> g_connections{0};

// How long a second writer waits for the first one's transaction.
constexpr int kBusyTimeoutMs = 10000;

const QString& EmptyText() {
    static const QString empty(QLatin1String(""));
    return empty;
}

QString NotNull(const QString& text) {
    return text.isNull() ? EmptyText() : text;
}

QString UtcText(const QDateTime& utc) {
    return utc.toUTC().toString(Qt::ISODate);
}

QDateTime FromUtcText(const QString& text) {
    return QDateTime::fromString(text, Qt::ISODate).toUTC();
}

Source SourceFromName(const QString& name) {
    for (Source s : {Source::Download, Source::RawCapture, Source::DataFile, Source::Tarnell})
        if (SourceName(s) == name)
            return s;
    return Source::DataFile;
}

QString DescribeRecord(int64_t rawTime, int32_t count, const QString& message) {
    QString text = LoggerTimeText(FromSeconds(rawTime)) + QStringLiteral(", count %1").arg(count);
    if (!message.isEmpty())
        text += QStringLiteral(", message \"%1\"").arg(message);
    return text;
}

} // namespace

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
class StationArchive::Transaction {
public:
    explicit Transaction(StationArchive& archive) : m_archive(archive) {
        QSqlDatabase db = archive.db();
        const bool sqlite = db.driverName() == QLatin1String("QSQLITE");
        Statement(archive, db, sqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"))
            .run();
    }
    ~Transaction() {
        if (!m_done) {
            QSqlQuery q(m_archive.db());
            q.exec(QStringLiteral("ROLLBACK"));
        }
    }
    void commit() {
        Statement(m_archive, m_archive.db(), QStringLiteral("COMMIT")).run();
        m_done = true;
    }

private:
    StationArchive& m_archive;
    bool m_done = false;
};

void Statement::fail() const {
    const QSqlError error = m_query.lastError();
    QString reason = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    if (reason.contains(QLatin1String("locked")) || reason.contains(QLatin1String("busy")))
        reason = QStringLiteral("it is in use by another program (%1)").arg(reason);
    throw OmbrexError(
        QStringLiteral("The station archive \"%1\": %2").arg(m_archive.Path(), reason));
}

QString StationArchive::DefaultArchivePath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/Archive/stations.sqlite");
}

int StationArchive::SchemaVersion() {
    return ArchiveSchema::LatestVersion();
}

void StationArchive::fail(const QString& reason) const {
    throw OmbrexError(QStringLiteral("The station archive \"%1\": %2").arg(m_path, reason));
}

StationArchive::StationArchive(const QString& path)
    : m_path(path),
      m_connection(QStringLiteral("ombrex-archive-%1").arg(g_connections.fetch_add(1))) {
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        fail(QStringLiteral("it is not a file"));
    const bool inMemory = path == QLatin1String(":memory:");
    if (!inMemory && !QDir().mkpath(info.absolutePath()))
        fail(QStringLiteral("its folder cannot be created"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        if (!db.open()) {
            const QString reason = db.lastError().text();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_connection);
            fail(reason);
        }
    }
    try {
        migrate();
    } catch (...) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
        throw;
    }
}

StationArchive::~StationArchive() {
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

QSqlDatabase StationArchive::db() const {
    return QSqlDatabase::database(m_connection, false);
}

void StationArchive::migrate() {
    QSqlDatabase base = db();
    // The first read tells a foreign or damaged file apart before anything is written to it.
    Statement version(*this, base, QStringLiteral("PRAGMA user_version"));
    version.run();
    const int current = version.next() ? version.value(0).toInt() : 0;
    version.query().finish();
    if (current > ArchiveSchema::LatestVersion())
        fail(QStringLiteral("it was made by a newer version of Ombrex (schema %1)").arg(current));
    if (current == 0 && !base.tables(QSql::Tables).isEmpty())
        fail(QStringLiteral("it is not a station archive (it holds other tables); it was left "
                            "as it is"));
    Statement(*this, base, QStringLiteral("PRAGMA foreign_keys = ON")).run();
    {
        Statement wal(*this, base, QStringLiteral("PRAGMA journal_mode = WAL"));
        wal.run();
    }
    if (current == ArchiveSchema::LatestVersion())
        return;
    Transaction transaction(*this);
    for (int v = current + 1; v <= ArchiveSchema::LatestVersion(); ++v)
        for (const QString& sql : ArchiveSchema::Migration(v, base.driverName()))
            Statement(*this, base, sql).run();
    Statement(*this, base,
              QStringLiteral("PRAGMA user_version = %1").arg(ArchiveSchema::LatestVersion()))
        .run();
    transaction.commit();
}

int64_t StationArchive::nextId(const char* table) {
    Statement q(
        *this, db(),
        QStringLiteral("SELECT COALESCE(MAX(id), 0) + 1 FROM %1").arg(QLatin1String(table)));
    q.run();
    return q.next() ? q.integer(0) : 1;
}

// ---------------------------------------------------------------- stations

namespace {
const char kSummarySql[] =
    "SELECT s.id, s.name, s.model, s.zone_minutes, s.bucket_factor,"
    " (SELECT MIN(start_time) FROM segment WHERE station_id = s.id),"
    " (SELECT MAX(last_time) FROM segment WHERE station_id = s.id),"
    " (SELECT COUNT(*) FROM download WHERE station_id = s.id),"
    " (SELECT COALESCE(SUM(record_count), 0) FROM segment WHERE station_id = s.id),"
    " (SELECT MAX(pc_utc) FROM download WHERE station_id = s.id AND source = 'download'),"
    " (SELECT COUNT(*) FROM download WHERE station_id = s.id AND accepted = 0)"
    " FROM station s";

StationSummary ReadSummary(Statement& q) {
    StationSummary s;
    s.Id = q.integer(0);
    s.Name = q.value(1).toString();
    s.Model = q.value(2).toString();
    s.ZoneMinutes = q.value(3).toInt();
    s.BucketFactor = uint16_t(q.value(4).toInt());
    if (!q.value(5).isNull())
        s.FirstRecord = FromSeconds(q.integer(5));
    if (!q.value(6).isNull())
        s.LastRecord = FromSeconds(q.integer(6));
    s.Downloads = q.value(7).toInt();
    s.Records = q.integer(8);
    if (!q.value(9).isNull())
        s.LastDownloadUtc = FromUtcText(q.value(9).toString());
    s.PendingDownloads = q.value(10).toInt();
    return s;
}
} // namespace

std::vector<StationSummary> StationArchive::Stations() {
    Statement q(*this, db(), QLatin1String(kSummarySql) + QStringLiteral(" ORDER BY s.name"));
    q.run();
    std::vector<StationSummary> out;
    while (q.next())
        out.push_back(ReadSummary(q));
    return out;
}

int64_t StationArchive::FindStation(const QString& name) {
    Statement q(*this, db(), QStringLiteral("SELECT id FROM station WHERE name = ?"));
    q.bind(name).run();
    return q.next() ? q.integer(0) : 0;
}

StationSummary StationArchive::Station(int64_t id) {
    Statement q(*this, db(), QLatin1String(kSummarySql) + QStringLiteral(" WHERE s.id = ?"));
    q.bind(qlonglong(id)).run();
    if (!q.next())
        fail(QStringLiteral("it holds no station %1").arg(id));
    return ReadSummary(q);
}

namespace {
QVariant Nullable(double value, double standard) {
    return value == standard ? QVariant(QMetaType(QMetaType::Double)) : QVariant(value);
}
QVariant Nullable(int32_t value, int32_t standard) {
    return value == standard ? QVariant(QMetaType(QMetaType::Int)) : QVariant(value);
}
} // namespace

int64_t StationArchive::CreateStation(const StationSettings& settings) {
    if (settings.Name.trimmed().isEmpty())
        fail(QStringLiteral("a station needs a name"));
    if (FindStation(settings.Name) != 0)
        fail(QStringLiteral("there is already a station named \"%1\"").arg(settings.Name));
    const StationSettings standard;
    const int64_t id = nextId("station");
    Statement(
        *this, db(),
        QStringLiteral("INSERT INTO station (id, name, logger_name, model, bucket_factor, "
                       "zone_minutes, tip_time_s, test_tip_min, pre_download_min, "
                       "minute_ceiling_mm_h, hour_ceiling_mm, day_ceiling_mm, notes, created_utc) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"))
        .bind(qlonglong(id))
        .bind(settings.Name)
        .bind(settings.Name)
        .bind(NotNull(settings.Model))
        .bind(int(settings.BucketFactor))
        .bind(settings.ZoneMinutes)
        .bind(settings.TipTimeSeconds)
        .bind(Nullable(settings.TestTipMinutes, standard.TestTipMinutes))
        .bind(Nullable(settings.PreDownloadMinutes, standard.PreDownloadMinutes))
        .bind(Nullable(settings.MinuteCeilingMmH, standard.MinuteCeilingMmH))
        .bind(Nullable(settings.HourCeilingMm, standard.HourCeilingMm))
        .bind(Nullable(settings.DayCeilingMm, standard.DayCeilingMm))
        .bind(NotNull(settings.Notes))
        .bind(UtcText(QDateTime::currentDateTimeUtc()))
        .run();
    return id;
}

StationSettings StationArchive::Settings(int64_t id) {
    Statement q(*this, db(),
                QStringLiteral("SELECT name, model, bucket_factor, zone_minutes, tip_time_s, "
                               "test_tip_min, pre_download_min, minute_ceiling_mm_h, "
                               "hour_ceiling_mm, day_ceiling_mm, notes FROM station WHERE id = ?"));
    q.bind(qlonglong(id)).run();
    if (!q.next())
        fail(QStringLiteral("it holds no station %1").arg(id));
    StationSettings s;
    s.Name = q.value(0).toString();
    s.Model = q.value(1).toString();
    s.BucketFactor = uint16_t(q.value(2).toInt());
    s.ZoneMinutes = q.value(3).toInt();
    s.TipTimeSeconds = q.value(4).toDouble();
    if (!q.value(5).isNull())
        s.TestTipMinutes = q.value(5).toInt();
    if (!q.value(6).isNull())
        s.PreDownloadMinutes = q.value(6).toInt();
    if (!q.value(7).isNull())
        s.MinuteCeilingMmH = q.value(7).toDouble();
    if (!q.value(8).isNull())
        s.HourCeilingMm = q.value(8).toDouble();
    if (!q.value(9).isNull())
        s.DayCeilingMm = q.value(9).toDouble();
    s.Notes = q.value(10).toString();
    return s;
}

void StationArchive::SetSettings(int64_t id, const StationSettings& settings) {
    if (settings.Name.trimmed().isEmpty())
        fail(QStringLiteral("a station needs a name"));
    Transaction transaction(*this);
    const int64_t other = FindStation(settings.Name);
    if (other != 0 && other != id)
        fail(QStringLiteral("there is already a station named \"%1\"").arg(settings.Name));
    const StationSettings standard;
    Statement(*this, db(),
              QStringLiteral("UPDATE station SET name = ?, model = ?, bucket_factor = ?, "
                             "zone_minutes = ?, tip_time_s = ?, test_tip_min = ?, "
                             "pre_download_min = ?, minute_ceiling_mm_h = ?, hour_ceiling_mm = ?, "
                             "day_ceiling_mm = ?, notes = ? WHERE id = ?"))
        .bind(settings.Name)
        .bind(NotNull(settings.Model))
        .bind(int(settings.BucketFactor))
        .bind(settings.ZoneMinutes)
        .bind(settings.TipTimeSeconds)
        .bind(Nullable(settings.TestTipMinutes, standard.TestTipMinutes))
        .bind(Nullable(settings.PreDownloadMinutes, standard.PreDownloadMinutes))
        .bind(Nullable(settings.MinuteCeilingMmH, standard.MinuteCeilingMmH))
        .bind(Nullable(settings.HourCeilingMm, standard.HourCeilingMm))
        .bind(Nullable(settings.DayCeilingMm, standard.DayCeilingMm))
        .bind(NotNull(settings.Notes))
        .bind(qlonglong(id))
        .run();
    // The zone moves every anchor's offset: the corrected times follow.
    Statement segments(*this, db(), QStringLiteral("SELECT id FROM segment WHERE station_id = ?"));
    segments.bind(qlonglong(id)).run();
    std::vector<int64_t> ids;
    while (segments.next())
        ids.push_back(segments.integer(0));
    Statement(*this, db(),
              QStringLiteral("UPDATE download SET clock_offset_s = anchor_time - ? - anchor_utc "
                             "WHERE station_id = ? AND anchor_time IS NOT NULL"))
        .bind(qlonglong(int64_t(settings.ZoneMinutes) * 60))
        .bind(qlonglong(id))
        .run();
    for (int64_t segment : ids)
        recorrect(segment, settings.ZoneMinutes);
    transaction.commit();
}

int64_t StationArchive::findOrCreateStation(const Addition& a, bool& created) {
    created = false;
    if (a.Station.trimmed().isEmpty())
        fail(QStringLiteral("the logger or station has no name"));
    if (a.Kind == Source::Download) {
        // The logger's identity is the name and model it had when the station was made; a
        // station made from files has no model yet and takes the logger's.
        Statement q(*this, db(),
                    QStringLiteral("SELECT id, model FROM station WHERE logger_name = ? AND "
                                   "(model = ? OR model = '') ORDER BY id"));
        q.bind(a.Station).bind(NotNull(a.Model)).run();
        if (q.next()) {
            const int64_t id = q.integer(0);
            const bool noModel = q.value(1).toString().isEmpty();
            q.query().finish();
            if (noModel && !a.Model.isEmpty())
                Statement(*this, db(), QStringLiteral("UPDATE station SET model = ? WHERE id = ?"))
                    .bind(a.Model)
                    .bind(qlonglong(id))
                    .run();
            return id;
        }
    } else if (const int64_t id = FindStation(a.Station)) {
        return id;
    }
    StationSettings settings;
    settings.Name = a.Station;
    for (int n = 2; FindStation(settings.Name) != 0; ++n)
        settings.Name = QStringLiteral("%1 (%2)").arg(a.Station).arg(n);
    settings.Model = a.Model;
    settings.BucketFactor = a.BucketFactor;
    settings.ZoneMinutes = a.ZoneMinutes.value_or(PcStandardZoneMinutes());
    const int64_t id = CreateStation(settings);
    if (settings.Name != a.Station)
        Statement(*this, db(), QStringLiteral("UPDATE station SET logger_name = ? WHERE id = ?"))
            .bind(a.Station)
            .bind(qlonglong(id))
            .run();
    created = true;
    return id;
}

// ---------------------------------------------------------------- adding

AddResult StationArchive::Add(const Addition& a) {
    std::vector<TRainRecord> records = a.Records;
    // The parser's end record (the time of reading) is no record of the logger's.
    if (a.Kind != Source::DataFile && records.size() > 1)
        records.pop_back();
    if (records.empty())
        fail(QStringLiteral("the %1 holds no records").arg(SourceName(a.Kind)));
    const QDateTime added =
        a.AddedUtc.isValid() ? a.AddedUtc.toUTC() : QDateTime::currentDateTimeUtc();

    Transaction transaction(*this);
    bool created = false;
    const int64_t stationId = findOrCreateStation(a, created);
    const int32_t zone = Settings(stationId).ZoneMinutes;
    const int64_t downloadId = nextId("download");

    QVariant offset{QMetaType(QMetaType::Double)};
    QVariant anchor{QMetaType(QMetaType::LongLong)};
    QVariant anchorUtc{QMetaType(QMetaType::LongLong)};
    const bool hasAnchor = a.Clock && a.Clock->PcUtc.isValid();
    if (hasAnchor) {
        const int64_t logger = Seconds(a.Clock->LoggerTime);
        const int64_t utc = a.Clock->PcUtc.toSecsSinceEpoch();
        anchor = qlonglong(logger);
        anchorUtc = qlonglong(utc);
        offset = double(logger - int64_t(zone) * 60 - utc);
    }
    // A download's logging ends when it was read; a file's with its last record.
    const int64_t end = a.Kind == Source::Download ? added.toSecsSinceEpoch() + int64_t(zone) * 60
                                                   : Seconds(records.back().DateTime);
    const bool keepApart = !a.CrcOk;

    Statement(*this, db(),
              QStringLiteral("INSERT INTO download (id, station_id, segment_id, source, pc_utc, "
                             "clock_offset_s, anchor_time, anchor_utc, logger_version, start_time, "
                             "crc_ok, accepted, record_count, new_records, end_time, file_name, "
                             "raw) VALUES (?, ?, NULL, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, ?, ?, ?)"))
        .bind(qlonglong(downloadId))
        .bind(qlonglong(stationId))
        .bind(SourceName(a.Kind))
        .bind(UtcText(added))
        .bind(offset)
        .bind(anchor)
        .bind(anchorUtc)
        .bind(NotNull(a.LoggerVersion))
        .bind(qlonglong(Seconds(records.front().DateTime)))
        .bind(a.CrcOk ? 1 : 0)
        .bind(keepApart ? 0 : 1)
        .bind(qlonglong(records.size()))
        .bind(qlonglong(end))
        .bind(NotNull(a.FileName))
        .bind(a.Raw.isNull() ? QByteArray("") : a.Raw)
        .run();

    AddResult result;
    if (keepApart) {
        Statement insert(*this, db(),
                         QStringLiteral("INSERT INTO pending_record (download_id, idx, raw_time, "
                                        "count, message) VALUES (?, ?, ?, ?, ?)"));
        for (size_t i = 0; i < records.size(); ++i) {
            QSqlQuery& q = insert.query();
            q.bindValue(0, qlonglong(downloadId));
            q.bindValue(1, int(i));
            q.bindValue(2, qlonglong(Seconds(records[i].DateTime)));
            q.bindValue(3, records[i].Count);
            q.bindValue(4, NotNull(records[i].Message));
            insert.run();
        }
        result.KeptApart = true;
    } else {
        result = merge(stationId, downloadId, a.Kind, hasAnchor, records, end);
    }
    transaction.commit();
    result.StationId = stationId;
    result.DownloadId = downloadId;
    result.NewStation = created;
    result.StationName = Settings(stationId).Name;
    return result;
}

std::vector<std::pair<int64_t, double>> StationArchive::anchors(int64_t segmentId,
                                                                int32_t zoneMinutes) {
    // The offset in UTC terms: the logger's clock less its fixed zone, against the PC's UTC.
    std::vector<std::pair<int64_t, double>> out;
    Statement q(*this, db(),
                QStringLiteral("SELECT anchor_time, anchor_utc FROM download WHERE "
                               "segment_id = ? AND accepted = 1 AND anchor_time IS NOT NULL"));
    q.bind(qlonglong(segmentId)).run();
    while (q.next())
        out.emplace_back(q.integer(0),
                         double(q.integer(0) - int64_t(zoneMinutes) * 60 - q.integer(1)));
    return out;
}

AddResult StationArchive::merge(int64_t stationId, int64_t downloadId, Source kind, bool hasAnchor,
                                const std::vector<TRainRecord>& records, int64_t end) {
    const StationSettings station = Settings(stationId);
    const int64_t start = Seconds(records.front().DateTime);
    AddResult result;

    int64_t segmentId = 0;
    int64_t stored = 0;
    {
        Statement q(*this, db(),
                    QStringLiteral("SELECT id, record_count FROM segment WHERE station_id = ? "
                                   "AND start_time = ? ORDER BY id"));
        q.bind(qlonglong(stationId)).bind(qlonglong(start)).run();
        if (q.next()) {
            segmentId = q.integer(0);
            stored = q.integer(1);
        }
    }
    if (segmentId != 0) {
        // The overlap must be the same records, index by index; the timestamps alone say
        // nothing (two tips may share a minute).
        Statement q(*this, db(),
                    QStringLiteral("SELECT idx, raw_time, count, message FROM record "
                                   "WHERE segment_id = ? AND idx < ? ORDER BY idx"));
        q.bind(qlonglong(segmentId)).bind(qlonglong(records.size())).run();
        while (q.next()) {
            const int64_t index = q.integer(0);
            const TRainRecord& r = records[size_t(index)];
            const int64_t rawTime = q.integer(1);
            const int32_t count = q.value(2).toInt();
            const QString message = q.value(3).toString();
            const int64_t newTime = Seconds(r.DateTime);
            if (rawTime == newTime && count == r.Count && message == NotNull(r.Message))
                continue;
            QString how;
            if (rawTime != newTime)
                how = QStringLiteral("its time is %1 where the station has %2")
                          .arg(LoggerTimeText(r.DateTime), LoggerTimeText(FromSeconds(rawTime)));
            else if (count != r.Count)
                how = QStringLiteral("its count is %1 where the station has %2")
                          .arg(r.Count)
                          .arg(count);
            else
                how = QStringLiteral("its message is \"%1\" where the station has \"%2\"")
                          .arg(r.Message, message);
            throw OmbrexError(kConflictCode,
                              QStringLiteral("Record %1 of the %2 differs from station \"%3\": "
                                             "%4 (stored: %5). Nothing was added.")
                                  .arg(index)
                                  .arg(SourceName(kind), station.Name, how,
                                       DescribeRecord(rawTime, count, message)));
        }
    } else {
        segmentId = nextId("segment");
        Statement(*this, db(),
                  QStringLiteral("INSERT INTO segment (id, station_id, start_time, end_time, "
                                 "last_time, record_count, source) VALUES (?, ?, ?, ?, ?, 0, ?)"))
            .bind(qlonglong(segmentId))
            .bind(qlonglong(stationId))
            .bind(qlonglong(start))
            .bind(qlonglong(start))
            .bind(qlonglong(start))
            .bind(SourceName(kind))
            .run();
        result.NewSegment = true;
    }
    Statement(*this, db(), QStringLiteral("UPDATE download SET segment_id = ? WHERE id = ?"))
        .bind(qlonglong(segmentId))
        .bind(qlonglong(downloadId))
        .run();

    // Every anchor of the segment, this addition's included.
    const ArchiveTime::Drift drift(start, anchors(segmentId, station.ZoneMinutes));
    int64_t last = start;
    if (size_t(stored) < records.size()) {
        // Many rows a statement: the per-statement cost of the driver dominates otherwise.
        const auto insertSql = [](size_t rows) {
            QString sql = QStringLiteral("INSERT INTO record (segment_id, idx, raw_time, time, "
                                         "count, message, download_id) VALUES ");
            for (size_t i = 0; i < rows; ++i)
                sql += i == 0 ? QStringLiteral("(?, ?, ?, ?, ?, ?, ?)")
                              : QStringLiteral(", (?, ?, ?, ?, ?, ?, ?)");
            return sql;
        };
        constexpr size_t kRows = 128;
        std::optional<Statement> full;
        size_t i = size_t(stored);
        while (i < records.size()) {
            const size_t rows = std::min(kRows, records.size() - i);
            std::optional<Statement> part;
            if (rows == kRows && !full)
                full.emplace(*this, db(), insertSql(kRows));
            else if (rows != kRows)
                part.emplace(*this, db(), insertSql(rows));
            Statement& insert = rows == kRows ? *full : *part;
            QSqlQuery& q = insert.query();
            int at = 0;
            for (size_t end = i + rows; i < end; ++i) {
                const TRainRecord& r = records[i];
                const int64_t raw = Seconds(r.DateTime);
                const int64_t corrected = drift.Correct(raw);
                if (!ArchiveTime::IsMarker(corrected))
                    last = std::max(last, corrected);
                q.bindValue(at++, qlonglong(segmentId));
                q.bindValue(at++, qlonglong(i));
                q.bindValue(at++, qlonglong(raw));
                q.bindValue(at++, qlonglong(corrected));
                q.bindValue(at++, r.Count);
                q.bindValue(at++, NotNull(r.Message));
                q.bindValue(at++, qlonglong(downloadId));
            }
            insert.run();
        }
        result.NewRecords = int64_t(records.size()) - stored;
    }
    if (hasAnchor && stored > 0)
        last = std::max(last, recorrect(segmentId, station.ZoneMinutes));

    // A download's logging ends when it was read, a file's with its last record.
    const int64_t segmentEnd = kind == Source::Download ? std::max(end, last) : last;
    Statement(*this, db(),
              QStringLiteral("UPDATE segment SET record_count = ?, "
                             "end_time = CASE WHEN end_time > ? THEN end_time ELSE ? END, "
                             "last_time = CASE WHEN last_time > ? THEN last_time ELSE ? END "
                             "WHERE id = ?"))
        .bind(qlonglong(std::max<int64_t>(stored, int64_t(records.size()))))
        .bind(qlonglong(segmentEnd))
        .bind(qlonglong(segmentEnd))
        .bind(qlonglong(last))
        .bind(qlonglong(last))
        .bind(qlonglong(segmentId))
        .run();
    Statement(*this, db(), QStringLiteral("UPDATE download SET new_records = ? WHERE id = ?"))
        .bind(qlonglong(result.NewRecords))
        .bind(qlonglong(downloadId))
        .run();
    result.SegmentId = segmentId;
    return result;
}

// Corrected times of a segment's records after its anchors or zone changed; gives the last one.
int64_t StationArchive::recorrect(int64_t segmentId, int32_t zoneMinutes) {
    int64_t start = 0;
    {
        Statement q(*this, db(), QStringLiteral("SELECT start_time FROM segment WHERE id = ?"));
        q.bind(qlonglong(segmentId)).run();
        if (!q.next())
            return 0;
        start = q.integer(0);
    }
    const ArchiveTime::Drift drift(start, anchors(segmentId, zoneMinutes));
    std::vector<std::pair<int32_t, int64_t>> changes;
    int64_t last = start;
    {
        Statement q(*this, db(),
                    QStringLiteral("SELECT idx, raw_time, time FROM record WHERE segment_id = ? "
                                   "ORDER BY idx"));
        q.bind(qlonglong(segmentId)).run();
        while (q.next()) {
            const int64_t corrected = drift.Correct(q.integer(1));
            if (!ArchiveTime::IsMarker(corrected))
                last = std::max(last, corrected);
            if (corrected != q.integer(2))
                changes.emplace_back(q.value(0).toInt(), corrected);
        }
    }
    Statement update(*this, db(),
                     QStringLiteral("UPDATE record SET time = ? WHERE segment_id = ? AND idx = ?"));
    for (const auto& [index, corrected] : changes) {
        QSqlQuery& q = update.query();
        q.bindValue(0, qlonglong(corrected));
        q.bindValue(1, qlonglong(segmentId));
        q.bindValue(2, index);
        update.run();
    }
    Statement(*this, db(), QStringLiteral("UPDATE segment SET last_time = ? WHERE id = ?"))
        .bind(qlonglong(last))
        .bind(qlonglong(segmentId))
        .run();
    return last;
}

AddResult StationArchive::AcceptDownload(int64_t downloadId) {
    Transaction transaction(*this);
    int64_t stationId = 0;
    int64_t end = 0;
    Source kind = Source::Download;
    bool hasAnchor = false;
    {
        Statement q(*this, db(),
                    QStringLiteral("SELECT station_id, source, anchor_time, end_time, accepted "
                                   "FROM download WHERE id = ?"));
        q.bind(qlonglong(downloadId)).run();
        if (!q.next())
            fail(QStringLiteral("it holds no download %1").arg(downloadId));
        if (q.value(4).toInt() != 0)
            fail(QStringLiteral("download %1 is already part of its station").arg(downloadId));
        stationId = q.integer(0);
        kind = SourceFromName(q.value(1).toString());
        hasAnchor = !q.value(2).isNull();
        end = q.integer(3);
    }
    std::vector<TRainRecord> records;
    {
        Statement q(*this, db(),
                    QStringLiteral("SELECT raw_time, count, message FROM pending_record WHERE "
                                   "download_id = ? ORDER BY idx"));
        q.bind(qlonglong(downloadId)).run();
        while (q.next())
            records.push_back(
                {FromSeconds(q.integer(0)), q.value(1).toInt(), q.value(2).toString()});
    }
    if (records.empty())
        fail(QStringLiteral("download %1 holds no records").arg(downloadId));
    Statement(*this, db(), QStringLiteral("UPDATE download SET accepted = 1 WHERE id = ?"))
        .bind(qlonglong(downloadId))
        .run();
    AddResult result = merge(stationId, downloadId, kind, hasAnchor, records, end);
    Statement(*this, db(), QStringLiteral("DELETE FROM pending_record WHERE download_id = ?"))
        .bind(qlonglong(downloadId))
        .run();
    transaction.commit();
    result.StationId = stationId;
    result.DownloadId = downloadId;
    result.StationName = Settings(stationId).Name;
    return result;
}

// ---------------------------------------------------------------- reading

std::vector<SegmentInfo> StationArchive::Segments(int64_t stationId) {
    Statement q(*this, db(),
                QStringLiteral("SELECT id, start_time, end_time, record_count, source FROM segment "
                               "WHERE station_id = ? ORDER BY start_time, id"));
    q.bind(qlonglong(stationId)).run();
    std::vector<SegmentInfo> out;
    while (q.next())
        out.push_back({q.integer(0), FromSeconds(q.integer(1)), FromSeconds(q.integer(2)),
                       q.integer(3), SourceFromName(q.value(4).toString())});
    return out;
}

std::vector<DownloadInfo> StationArchive::Downloads(int64_t stationId) {
    Statement q(*this, db(),
                QStringLiteral("SELECT id, segment_id, source, pc_utc, clock_offset_s, "
                               "logger_version, start_time, crc_ok, accepted, record_count, "
                               "new_records, file_name FROM download WHERE station_id = ? "
                               "ORDER BY id"));
    q.bind(qlonglong(stationId)).run();
    std::vector<DownloadInfo> out;
    while (q.next()) {
        DownloadInfo d;
        d.Id = q.integer(0);
        d.SegmentId = q.value(1).isNull() ? 0 : q.integer(1);
        d.Kind = SourceFromName(q.value(2).toString());
        d.PcUtc = FromUtcText(q.value(3).toString());
        if (!q.value(4).isNull())
            d.ClockOffsetSeconds = q.value(4).toDouble();
        d.LoggerVersion = q.value(5).toString();
        d.StartTime = FromSeconds(q.integer(6));
        d.CrcOk = q.value(7).toInt() != 0;
        d.Accepted = q.value(8).toInt() != 0;
        d.RecordCount = q.integer(9);
        d.NewRecords = q.integer(10);
        d.FileName = q.value(11).toString();
        out.push_back(d);
    }
    return out;
}

QByteArray StationArchive::RawCapture(int64_t downloadId) {
    Statement q(*this, db(), QStringLiteral("SELECT raw FROM download WHERE id = ?"));
    q.bind(qlonglong(downloadId)).run();
    if (!q.next())
        fail(QStringLiteral("it holds no download %1").arg(downloadId));
    return q.value(0).toByteArray();
}

LoadedStation StationArchive::LoadStationIntoTables(int64_t stationId) {
    LoadedStation loaded;
    loaded.Station = Station(stationId);
    struct Span {
        int64_t id, start, end;
    };
    std::vector<Span> segments;
    {
        Statement q(*this, db(),
                    QStringLiteral("SELECT id, start_time, end_time, last_time FROM segment "
                                   "WHERE station_id = ? ORDER BY start_time, id"));
        q.bind(qlonglong(stationId)).run();
        while (q.next())
            segments.push_back({q.integer(0), q.integer(1), std::max(q.integer(2), q.integer(3))});
    }

    DataUnit::ClearTables();
    DataUnit::BucketFactor = loaded.Station.BucketFactor;
    DataUnit::ReserveEvents(qsizetype(loaded.Station.Records) + 2 * qsizetype(segments.size()) + 1);
    loaded.Keys.reserve(size_t(loaded.Station.Records) + 2 * segments.size() + 1);

    // One segment at a time, in index order: the primary key's own order, no sorting.
    Statement q(*this, db(),
                QStringLiteral("SELECT idx, time, count, message FROM record WHERE segment_id = ? "
                               "ORDER BY idx"));
    QSqlQuery& query = q.query();
    int64_t lastTime = 0;
    for (size_t i = 0; i < segments.size(); ++i) {
        const Span& segment = segments[i];
        if (i > 0) {
            // The gap between two segments, said in the record itself.
            DataUnit::AppendEvent(
                {FromSeconds(segments[i - 1].end), 0, QString::fromUtf16(Analysis::kNotLogging)});
            loaded.Keys.push_back({});
            DataUnit::AppendEvent(
                {FromSeconds(segment.start), 0, QString::fromUtf16(Analysis::kLoggingAgain)});
            loaded.Keys.push_back({});
        }
        query.bindValue(0, qlonglong(segment.id));
        q.run();
        while (query.next()) {
            const int64_t time = query.value(1).toLongLong();
            if (!ArchiveTime::IsMarker(time))
                lastTime = time;
            QString message = query.value(3).toString();
            DataUnit::AppendEvent({FromSeconds(time), query.value(2).toInt(), message});
            loaded.Keys.push_back({segment.id, query.value(0).toInt()});
        }
        query.finish();
    }
    // The end of logging, as a download's end record says it.
    if (!segments.empty() && segments.back().end > lastTime) {
        DataUnit::AppendEvent({FromSeconds(segments.back().end), 0, {}});
        loaded.Keys.push_back({});
    }
    bool out = false;
    const TRainRecord first = DataUnit::GetEvent(0, out);
    DataUnit::SetStartTime(out ? 0 : first.DateTime);
    if (!out)
        DataUnit::BuildDailyTable(first.DateTime);
    return loaded;
}

// ---------------------------------------------------------------- flag decisions

void StationArchive::SetFlagDecision(int64_t stationId, const RecordKey& record, QChar flag,
                                     FlagDecision decision) {
    Transaction transaction(*this);
    Statement(
        *this, db(),
        QStringLiteral("INSERT INTO flag_decision (station_id, segment_id, record_index, "
                       "flag, decision, decided_utc) VALUES (?, ?, ?, ?, ?, ?) "
                       "ON CONFLICT (station_id, segment_id, record_index, flag) DO UPDATE "
                       "SET decision = excluded.decision, decided_utc = excluded.decided_utc"))
        .bind(qlonglong(stationId))
        .bind(qlonglong(record.SegmentId))
        .bind(record.Index)
        .bind(QString(flag))
        .bind(decision == FlagDecision::Accepted ? QStringLiteral("accepted")
                                                 : QStringLiteral("dismissed"))
        .bind(UtcText(QDateTime::currentDateTimeUtc()))
        .run();
    transaction.commit();
}

void StationArchive::ClearFlagDecision(int64_t stationId, const RecordKey& record, QChar flag) {
    Transaction transaction(*this);
    Statement(*this, db(),
              QStringLiteral("DELETE FROM flag_decision WHERE station_id = ? AND segment_id = ? "
                             "AND record_index = ? AND flag = ?"))
        .bind(qlonglong(stationId))
        .bind(qlonglong(record.SegmentId))
        .bind(record.Index)
        .bind(QString(flag))
        .run();
    transaction.commit();
}

std::vector<FlagDecisionRow> StationArchive::FlagDecisions(int64_t stationId) {
    Statement q(*this, db(),
                QStringLiteral("SELECT segment_id, record_index, flag, decision, decided_utc FROM "
                               "flag_decision WHERE station_id = ? ORDER BY segment_id, "
                               "record_index, flag"));
    q.bind(qlonglong(stationId)).run();
    std::vector<FlagDecisionRow> out;
    while (q.next()) {
        FlagDecisionRow row;
        row.Record = {q.integer(0), q.value(1).toInt()};
        const QString flag = q.value(2).toString();
        row.Flag = flag.isEmpty() ? QChar() : flag[0];
        row.Decision = q.value(3).toString() == QLatin1String("accepted") ? FlagDecision::Accepted
                                                                          : FlagDecision::Dismissed;
        row.DecidedAtUtc = FromUtcText(q.value(4).toString());
        out.push_back(row);
    }
    return out;
}
