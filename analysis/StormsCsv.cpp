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

QByteArray StormsCsvHeader(bool corrected) {
    QByteArray h = "start_local,start_utc,end_local,end_utc,duration_min,tips,depth_mm";
    for (int32_t d : kDurations)
        h += ",i" + QByteArray::number(d) + "_mm_h";
    h += ",energy_mj_ha,ei30,erosive";
    if (corrected) {
        h += ",corrected_depth_mm";
        for (int32_t d : kDurations)
            h += ",corrected_i" + QByteArray::number(d) + "_mm_h";
        h += ",corrected_energy_mj_ha,corrected_ei30";
    }
    return h + '\n';
}

QByteArray StormsCsv(const std::vector<Storm>& storms, int zoneMinutes,
                     const std::vector<Storm>& corrected) {
    const bool withCorrected = !corrected.empty() && corrected.size() == storms.size();
    QByteArray out = StormsCsvHeader(withCorrected);
    for (size_t k = 0; k < storms.size(); ++k) {
        const Storm& s = storms[k];
        out += IsoLocal(s.Start, zoneMinutes).toLatin1() + ',' +
               IsoUtc(s.Start, zoneMinutes).toLatin1() + ',' +
               IsoLocal(s.End, zoneMinutes).toLatin1() + ',' +
               IsoUtc(s.End, zoneMinutes).toLatin1() + ',' + QByteArray::number(s.DurationMinutes) +
               ',' + QByteArray::number(s.Tips) + ',' + Number(s.DepthMm);
        for (double i : s.MaxIntensityMmH)
            out += ',' + Number(i);
        out += ',' + Number(s.EnergyMJPerHa) + ',' + Number(s.EI30) + ',' +
               (s.Erosive ? "true" : "false");
        if (withCorrected) {
            const Storm& c = corrected[k];
            out += ',' + Number(c.DepthMm);
            for (double i : c.MaxIntensityMmH)
                out += ',' + Number(i);
            out += ',' + Number(c.EnergyMJPerHa) + ',' + Number(c.EI30);
        }
        out += '\n';
    }
    return out;
}

} // namespace Analysis
