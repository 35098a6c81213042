#include "archive/ArchiveSchema.h"

namespace ArchiveSchema {

namespace {

// Times are whole seconds of a wall clock since 1970-01-01: a station's clock zone for logger
// times, UTC where the column says so.
const char* const kVersion1[] = {
    "CREATE TABLE station ("
    " id BIGINT PRIMARY KEY,"
    " name TEXT NOT NULL UNIQUE,"
    " logger_name TEXT NOT NULL,"
    " model TEXT NOT NULL,"
    " bucket_factor INTEGER NOT NULL,"
    " zone_minutes INTEGER NOT NULL,"
    " tip_time_s DOUBLE PRECISION NOT NULL DEFAULT 0,"
    // The quality ceilings: NULL is the program's default.
    " test_tip_min INTEGER,"
    " pre_download_min INTEGER,"
    " minute_ceiling_mm_h DOUBLE PRECISION,"
    " hour_ceiling_mm DOUBLE PRECISION,"
    " day_ceiling_mm DOUBLE PRECISION,"
    " notes TEXT NOT NULL DEFAULT '',"
    " created_utc TEXT NOT NULL)",

    "CREATE TABLE segment ("
    " id BIGINT PRIMARY KEY,"
    " station_id BIGINT NOT NULL REFERENCES station (id) ON DELETE CASCADE,"
    " start_time BIGINT NOT NULL,"
    " end_time BIGINT NOT NULL,"
    " last_time BIGINT NOT NULL,"
    " record_count BIGINT NOT NULL,"
    " source TEXT NOT NULL)",
    "CREATE INDEX segment_station ON segment (station_id, start_time)",

    // Every addition, with the exact bytes it was read from. accepted = 0: a download whose
    // check sum failed, its records kept apart in pending_record.
    "CREATE TABLE download ("
    " id BIGINT PRIMARY KEY,"
    " station_id BIGINT NOT NULL REFERENCES station (id) ON DELETE CASCADE,"
    " segment_id BIGINT REFERENCES segment (id),"
    " source TEXT NOT NULL,"
    " pc_utc TEXT NOT NULL,"
    " clock_offset_s DOUBLE PRECISION,"
    " anchor_time BIGINT,"
    " anchor_utc BIGINT,"
    " logger_version TEXT NOT NULL,"
    " start_time BIGINT NOT NULL,"
    " crc_ok INTEGER NOT NULL,"
    " accepted INTEGER NOT NULL,"
    " record_count BIGINT NOT NULL,"
    " new_records BIGINT NOT NULL,"
    " end_time BIGINT NOT NULL,"
    " file_name TEXT NOT NULL,"
    " raw %BLOB% NOT NULL)",
    "CREATE INDEX download_station ON download (station_id)",
    "CREATE INDEX download_segment ON download (segment_id)",

    "CREATE TABLE record ("
    " segment_id BIGINT NOT NULL REFERENCES segment (id) ON DELETE CASCADE,"
    " idx INTEGER NOT NULL,"
    " raw_time BIGINT NOT NULL,"
    " time BIGINT NOT NULL,"
    " count INTEGER NOT NULL,"
    " message TEXT NOT NULL,"
    " download_id BIGINT NOT NULL REFERENCES download (id),"
    " PRIMARY KEY (segment_id, idx))%CLUSTERED%",

    "CREATE TABLE pending_record ("
    " download_id BIGINT NOT NULL REFERENCES download (id) ON DELETE CASCADE,"
    " idx INTEGER NOT NULL,"
    " raw_time BIGINT NOT NULL,"
    " count INTEGER NOT NULL,"
    " message TEXT NOT NULL,"
    " PRIMARY KEY (download_id, idx))%CLUSTERED%",

    "CREATE TABLE flag_decision ("
    " station_id BIGINT NOT NULL REFERENCES station (id) ON DELETE CASCADE,"
    " segment_id BIGINT NOT NULL,"
    " record_index INTEGER NOT NULL,"
    " flag TEXT NOT NULL,"
    " decision TEXT NOT NULL,"
    " decided_utc TEXT NOT NULL,"
    " PRIMARY KEY (station_id, segment_id, record_index, flag))",
};

} // namespace

int LatestVersion() {
    return 1;
}

QStringList Migration(int version, const QString& driverName) {
    QStringList out;
    if (version != 1)
        return out;
    const bool sqlite = driverName == QLatin1String("QSQLITE");
    for (const char* sql : kVersion1) {
        QString text = QString::fromLatin1(sql);
        text.replace(QLatin1String("%BLOB%"),
                     sqlite ? QLatin1String("BLOB") : QLatin1String("BYTEA"));
        text.replace(QLatin1String("%CLUSTERED%"),
                     sqlite ? QLatin1String(" WITHOUT ROWID") : QLatin1String(""));
        out << text;
    }
    return out;
}

} // namespace ArchiveSchema
