// The interval CSV: the depth of each N-minute interval, labelled by its end.
#include "export/AtomicFile.h"
#include "export/ExportTable.h"

namespace StandardExport {

using namespace Detail;

bool WriteIntervalCsv(const QString& path, const Options& options) {
    const Table table = TakeTable(options);
    const Grid grid = MakeGrid(table, options);
    const std::vector<int64_t> totals = IntervalTotals(table, grid);
    AtomicFile file(path);
    TextOut out(file);
    out.append(CsvHeader(table, options,
                         QByteArray("# interval: ") + QByteArray::number(grid.N) +
                             " minutes [start, end), labelled by its end; empty: not logging\n") +
               "time_local,time_utc,depth_mm\n");
    Progress progress(options);
    for (int64_t k = 0; k < grid.Count; ++k) {
        if (!progress.step(k, grid.Count))
            return false;
        const int64_t end = grid.Start + (k + 1) * grid.N;
        char* p = out.room(96);
        p = PutLocal(p, end, options.ZoneMinutes);
        *p++ = ',';
        p = PutUtc(p, end, options.ZoneMinutes);
        *p++ = ',';
        if (totals[size_t(k)] >= 0)
            p = PutDepth(p, totals[size_t(k)]);
        *p++ = '\n';
        out.advance(p);
    }
    out.flush();
    if (!progress.step(grid.Count, grid.Count))
        return false;
    file.commit();
    return true;
}

} // namespace StandardExport
