#include "archive/StationArchive.h"

#include "archive/ArchiveSchema.h"
#include "archive/ArchiveSql.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>

using namespace Archive;
using namespace ArchiveSql;

namespace {

std::atomic<int> g_connections{0};

// How long a second writer waits for the first one's transaction.
constexpr int kBusyTimeoutMs = 10000;

} // namespace

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
// The settings columns from model to notes, in the order the station table lists them; a value
// at its default is stored as NULL so that a later default applies to it.
Statement& BindSettings(Statement& statement, const StationSettings& settings) {
    const StationSettings standard;
    return statement.bind(NotNull(settings.Model))
        .bind(int(settings.BucketFactor))
        .bind(settings.ZoneMinutes)
        .bind(settings.TipTimeSeconds)
        .bind(Nullable(settings.TestTipMinutes, standard.TestTipMinutes))
        .bind(Nullable(settings.PreDownloadMinutes, standard.PreDownloadMinutes))
        .bind(Nullable(settings.MinuteCeilingMmH, standard.MinuteCeilingMmH))
        .bind(Nullable(settings.HourCeilingMm, standard.HourCeilingMm))
        .bind(Nullable(settings.DayCeilingMm, standard.DayCeilingMm))
        .bind(NotNull(settings.Notes));
}
} // namespace

int64_t StationArchive::CreateStation(const StationSettings& settings) {
    if (settings.Name.trimmed().isEmpty())
        fail(QStringLiteral("a station needs a name"));
    if (FindStation(settings.Name) != 0)
        fail(QStringLiteral("there is already a station named \"%1\"").arg(settings.Name));
    const int64_t id = nextId("station");
    Statement insert(
        *this, db(),
        QStringLiteral("INSERT INTO station (id, name, logger_name, model, bucket_factor, "
                       "zone_minutes, tip_time_s, test_tip_min, pre_download_min, "
                       "minute_ceiling_mm_h, hour_ceiling_mm, day_ceiling_mm, notes, created_utc) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    insert.bind(qlonglong(id)).bind(settings.Name).bind(settings.Name);
    BindSettings(insert, settings).bind(UtcText(QDateTime::currentDateTimeUtc())).run();
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
    Statement update(
        *this, db(),
        QStringLiteral("UPDATE station SET name = ?, model = ?, bucket_factor = ?, "
                       "zone_minutes = ?, tip_time_s = ?, test_tip_min = ?, "
                       "pre_download_min = ?, minute_ceiling_mm_h = ?, hour_ceiling_mm = ?, "
                       "day_ceiling_mm = ?, notes = ? WHERE id = ?"));
    update.bind(settings.Name);
    BindSettings(update, settings).bind(qlonglong(id)).run();
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
