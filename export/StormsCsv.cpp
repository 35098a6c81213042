// The storms CSV: one row per storm with every figure of the storm analysis.
#include "analysis/Storms.h"
#include "export/AtomicFile.h"
#include "export/ExportTable.h"

#include <algorithm>
#include <cstdio>

namespace StandardExport {

using namespace Detail;

namespace {

// A figure of any size: room is made for what snprintf says it needs.
template <typename... Args> void Put(TextOut& out, const char* format, Args... args) {
    char* p = out.room(64);
    int n = std::snprintf(p, 64, format, args...);
    if (n >= 64) {
        p = out.room(size_t(n) + 1);
        n = std::snprintf(p, size_t(n) + 1, format, args...);
    }
    out.advance(p + std::max(n, 0));
}

} // namespace

bool WriteStormsCsv(const QString& path, const Options& options) {
    const Table table = TakeTable(options);
    const double mmPerTip = double(table.TipThousandths) / 1000.0;
    const std::vector<Analysis::Storm> storms =
        Analysis::FindStorms(RainSeries(table), mmPerTip, options.Storms);
    AtomicFile file(path);
    TextOut out(file);
    QByteArray columns = "start_local,start_utc,end_local,end_utc,duration_min,tips,depth_mm";
    for (int32_t d : Analysis::kDurations)
        columns += ",i" + QByteArray::number(d) + "_mm_h";
    columns += ",energy_mj_ha,ei30,erosive\n";
    const char* equation = options.Storms.Energy == Analysis::EnergyEquation::McGregor ? "McGregor"
                           : options.Storms.Energy == Analysis::EnergyEquation::Usle
                               ? "USLE"
                               : "Brown-Foster";
    out.append(CsvHeader(table, options,
                         "# storms: separated by more than " +
                             QByteArray::number(options.Storms.SeparationMinutes) +
                             " dry minutes or a break in the record; unit energy by " + equation +
                             "\n") +
               columns);
    Progress progress(options);
    const int64_t total = int64_t(storms.size());
    for (int64_t i = 0; i < total; ++i) {
        if (!progress.step(i, total))
            return false;
        const Analysis::Storm& s = storms[size_t(i)];
        const int64_t start = Analysis::MinuteNumber(s.Start), end = Analysis::MinuteNumber(s.End);
        char* p = out.room(128);
        p = PutLocal(p, start, options.ZoneMinutes);
        *p++ = ',';
        p = PutUtc(p, start, options.ZoneMinutes);
        *p++ = ',';
        p = PutLocal(p, end, options.ZoneMinutes);
        *p++ = ',';
        p = PutUtc(p, end, options.ZoneMinutes);
        out.advance(p);
        Put(out, ",%d,%d,", s.DurationMinutes, s.Tips);
        p = out.room(32);
        out.advance(PutDepth(p, int64_t(s.Tips) * table.TipThousandths));
        for (double intensity : s.MaxIntensityMmH)
            Put(out, ",%.3f", intensity);
        Put(out, ",%.4f,%.3f,%s\n", s.EnergyMJPerHa, s.EI30, s.Erosive ? "true" : "false");
    }
    out.flush();
    if (!progress.step(total, total))
        return false;
    file.commit();
    return true;
}

} // namespace StandardExport
