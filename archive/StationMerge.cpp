// Adding to a station: the merge by index under one start time, and the drift correction.
#include "archive/StationArchive.h"

#include "analysis/RainSeries.h"
#include "archive/ArchiveSql.h"

#include <algorithm>
#include <optional>

using namespace Archive;
using namespace ArchiveSql;

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
