// CF-1.8 NetCDF: a single discrete-sampling-geometry time series of interval totals.
#include "export/AtomicFile.h"
#include "export/ExportTable.h"

#include <QCoreApplication>
#include <QDateTime>

#include <netcdf.h>

namespace StandardExport {

using namespace Detail;

namespace {

constexpr double kFill = -9999.0;

// The open dataset; aborted (the temporary file is removed by its AtomicFile) unless closed.
class Dataset {
public:
    explicit Dataset(AtomicFile& file) : m_file(file) {}
    ~Dataset() {
        if (m_id >= 0)
            nc_abort(m_id);
    }
    void check(int status) const {
        if (status != NC_NOERR)
            m_file.fail("Cannot write file", QString::fromUtf8(nc_strerror(status)));
    }
    void create() {
        m_file.release();
        check(nc_create(m_file.temporaryPath().toLocal8Bit().constData(),
                        NC_CLOBBER | NC_64BIT_OFFSET, &m_id));
    }
    void close() {
        const int id = m_id;
        m_id = -1;
        check(nc_close(id));
    }
    int id() const { return m_id; }
    void text(int var, const char* name, const QByteArray& value) const {
        check(nc_put_att_text(m_id, var, name, size_t(value.size()), value.constData()));
    }

private:
    AtomicFile& m_file;
    int m_id = -1;
};

} // namespace

bool WriteNetcdf(const QString& path, const Options& options) {
    const Table table = TakeTable(options);
    const Grid grid = MakeGrid(table, options);
    const std::vector<int64_t> totals = IntervalTotals(table, grid);
    const QByteArray id = options.StationId.toUtf8(), name = options.StationName.toUtf8();

    AtomicFile file(path);
    Dataset nc(file);
    nc.create();
    const int g = nc.id();
    int oldFill = 0;
    nc.check(nc_set_fill(g, NC_NOFILL, &oldFill)); // every value is written
    int timeDim, nvDim, idLen, nameLen;
    nc.check(nc_def_dim(g, "time", size_t(grid.Count), &timeDim));
    nc.check(nc_def_dim(g, "nv", 2, &nvDim));
    nc.check(nc_def_dim(g, "id_strlen", size_t(std::max<qsizetype>(id.size(), 1)), &idLen));
    nc.check(nc_def_dim(g, "name_strlen", size_t(std::max<qsizetype>(name.size(), 1)), &nameLen));

    int stationId, stationName, time, bounds, rain;
    nc.check(nc_def_var(g, "station_id", NC_CHAR, 1, &idLen, &stationId));
    nc.text(stationId, "cf_role", "timeseries_id");
    nc.text(stationId, "long_name", "station identifier");
    nc.check(nc_def_var(g, "station_name", NC_CHAR, 1, &nameLen, &stationName));
    nc.text(stationName, "long_name", "station name");

    nc.check(nc_def_var(g, "time", NC_INT, 1, &timeDim, &time));
    nc.text(time, "standard_name", "time");
    nc.text(time, "long_name", "end of the interval");
    nc.text(time, "units", "minutes since 1970-01-01 00:00:00");
    nc.text(time, "calendar", "standard");
    nc.text(time, "axis", "T");
    nc.text(time, "bounds", "time_bnds");
    const int boundsDims[] = {timeDim, nvDim};
    nc.check(nc_def_var(g, "time_bnds", NC_INT, 2, boundsDims, &bounds));

    nc.check(nc_def_var(g, "precipitation", NC_DOUBLE, 1, &timeDim, &rain));
    nc.text(rain, "standard_name", "thickness_of_rainfall_amount");
    nc.text(rain, "long_name", "rainfall in the interval");
    nc.text(rain, "units", "mm");
    nc.text(rain, "cell_methods",
            "time: sum (interval: " + QByteArray::number(grid.N) + " minutes)");
    nc.text(rain, "coordinates", "station_id station_name");
    nc.check(nc_put_att_double(g, rain, "_FillValue", NC_DOUBLE, 1, &kFill));

    nc.text(NC_GLOBAL, "Conventions", "CF-1.8");
    nc.text(NC_GLOBAL, "featureType", "timeSeries");
    nc.text(NC_GLOBAL, "title",
            "Rainfall of " + name + " in " + QByteArray::number(grid.N) + "-minute intervals");
    nc.text(NC_GLOBAL, "source", "tipping-bucket rain gauge with a Hyetra logger");
    nc.text(NC_GLOBAL, "history",
            QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toUtf8() + " written by " +
                QCoreApplication::applicationName().toUtf8());
    char depth[32];
    nc.text(NC_GLOBAL, "tip_depth",
            QByteArray(depth, int(PutDepth(depth, table.TipThousandths) - depth)) + " mm");
    nc.text(NC_GLOBAL, "logger_clock_zone", "UTC" + ZoneText(options.ZoneMinutes).toLatin1());
    nc.text(NC_GLOBAL, "corrections",
            options.Corrections.isEmpty() ? QByteArray("none") : options.Corrections.toUtf8());
    if (options.LeaveOutAcceptedFlags)
        nc.text(NC_GLOBAL, "comment", "records with accepted quality flags left out");
    nc.check(nc_enddef(g));

    if (!id.isEmpty())
        nc.check(nc_put_var_text(g, stationId, id.constData()));
    if (!name.isEmpty())
        nc.check(nc_put_var_text(g, stationName, name.constData()));

    Progress progress(options);
    constexpr int64_t kChunk = 1 << 16;
    std::vector<int> times, edges;
    std::vector<double> values;
    for (int64_t k0 = 0; k0 < grid.Count; k0 += kChunk) {
        if (!progress.step(k0, grid.Count))
            return false;
        const int64_t n = std::min(kChunk, grid.Count - k0);
        times.resize(size_t(n));
        edges.resize(size_t(2 * n));
        values.resize(size_t(n));
        for (int64_t i = 0; i < n; ++i) {
            const int64_t k = k0 + i;
            const int start = int(UnixMinutes(grid.Start + k * grid.N, options.ZoneMinutes));
            times[size_t(i)] = start + grid.N;
            edges[size_t(2 * i)] = start;
            edges[size_t(2 * i + 1)] = start + grid.N;
            const int64_t t = totals[size_t(k)];
            values[size_t(i)] = t < 0 ? kFill : double(t) / 1000.0;
        }
        const size_t at[] = {size_t(k0), 0}, count[] = {size_t(n), 2};
        nc.check(nc_put_vara_int(g, time, at, count, times.data()));
        nc.check(nc_put_vara_int(g, bounds, at, count, edges.data()));
        nc.check(nc_put_vara_double(g, rain, at, count, values.data()));
    }
    if (!progress.step(grid.Count, grid.Count))
        return false;
    nc.close();
    file.commit();
    return true;
}

} // namespace StandardExport
