#include "analysis/StormsCsv.h"

#include <cstdlib>

namespace Analysis {

namespace {

QString Minutes(TDateTime t) {
    const TDateParts p = DecodeDateTime(MinuteTime(MinuteNumber(t)));
    return QString::asprintf("%04d-%02d-%02dT%02d:%02d", p.year, p.month, p.day, p.hour, p.minute);
}

// Twelve significant digits: a depth made of 0.254 mm tips reads back as the depth, without the
// last bit of its binary fraction.
QByteArray Number(double v) {
    return QByteArray::number(v, 'g', 12);
}

} // namespace

QString IsoLocal(TDateTime t, int zoneMinutes) {
    const int a = std::abs(zoneMinutes);
    return Minutes(t) +
           QString::asprintf("%c%02d:%02d", zoneMinutes < 0 ? '-' : '+', a / 60, a % 60);
}

QString IsoUtc(TDateTime t, int zoneMinutes) {
    return Minutes(t - zoneMinutes / 1440.0) + QLatin1Char('Z');
}

QByteArray StormsCsvHeader() {
    QByteArray h = "start_local,start_utc,end_local,end_utc,duration_min,tips,depth_mm";
    for (int32_t d : kDurations)
        h += ",i" + QByteArray::number(d) + "_mm_h";
    h += ",energy_mj_ha,ei30,erosive\n";
    return h;
}

QByteArray StormsCsv(const std::vector<Storm>& storms, int zoneMinutes) {
    QByteArray out = StormsCsvHeader();
    for (const Storm& s : storms) {
        out += IsoLocal(s.Start, zoneMinutes).toLatin1() + ',' +
               IsoUtc(s.Start, zoneMinutes).toLatin1() + ',' +
               IsoLocal(s.End, zoneMinutes).toLatin1() + ',' +
               IsoUtc(s.End, zoneMinutes).toLatin1() + ',' + QByteArray::number(s.DurationMinutes) +
               ',' + QByteArray::number(s.Tips) + ',' + Number(s.DepthMm);
        for (double i : s.MaxIntensityMmH)
            out += ',' + Number(i);
        out += ',' + Number(s.EnergyMJPerHa) + ',' + Number(s.EI30) + ',' +
               (s.Erosive ? "true" : "false") + '\n';
    }
    return out;
}

} // namespace Analysis
