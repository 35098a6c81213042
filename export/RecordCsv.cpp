// The record CSV: one row per record, with its time in the clock zone and in UTC.
#include "export/AtomicFile.h"
#include "export/ExportTable.h"

namespace StandardExport {

using namespace Detail;

bool WriteRecordCsv(const QString& path, const Options& options) {
    const Table table = TakeTable(options);
    AtomicFile file(path);
    TextOut out(file);
    out.append(CsvHeader(table, options) + "time_local,time_utc,tips,depth_mm,flags\n");
    Progress progress(options);
    const int64_t total = int64_t(table.Rows.size());
    for (int64_t i = 0; i < total; ++i) {
        if (!progress.step(i, total))
            return false;
        const Row& r = table.Rows[size_t(i)];
        const QByteArray flags = FlagsOf(options, r.Index).toUtf8();
        char* p = out.room(128 + size_t(flags.size()));
        p = PutLocal(p, r.Minute, options.ZoneMinutes);
        *p++ = ',';
        p = PutUtc(p, r.Minute, options.ZoneMinutes);
        p += std::snprintf(p, 16, ",%d,", r.Tips); // at most 11 digits and a sign
        p = PutDepth(p, int64_t(r.Tips) * table.TipThousandths);
        *p++ = ',';
        std::memcpy(p, flags.constData(), size_t(flags.size()));
        p += flags.size();
        *p++ = '\n';
        out.advance(p);
    }
    out.flush();
    if (!progress.step(total, total))
        return false;
    file.commit();
    return true;
}

} // namespace StandardExport
