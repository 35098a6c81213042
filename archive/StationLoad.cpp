// Opening a station into the tables.
#include "archive/StationArchive.h"

#include "analysis/RainSeries.h"
#include "archive/ArchiveSql.h"

#include <algorithm>
#include <optional>

using namespace Archive;
using namespace ArchiveSql;

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
