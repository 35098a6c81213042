#pragma once

#include "analysis/Storms.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace Analysis {

// "start_local,start_utc,end_local,end_utc,duration_min,tips,depth_mm,i5_mm_h,...,i1440_mm_h,
// energy_mj_ha,ei30,erosive"
// With `corrected`, the dynamic calibration's figures follow: "corrected_depth_mm,
// corrected_i5_mm_h,...,corrected_energy_mj_ha,corrected_ei30".
QByteArray StormsCsvHeader(bool corrected = false);
// One row a storm in time order. Times are the logger clock's, in a zone `zoneMinutes` east of
// UTC; depths and intensities in mm and mm/h, energy in MJ/ha, EI30 in MJ mm/(ha h). `corrected`
// is empty or the same storms from corrected minutes, shown beside the raw figures.
QByteArray StormsCsv(const std::vector<Storm>& storms, int zoneMinutes,
                     const std::vector<Storm>& corrected = {});

// "2009-03-01T08:05+01:00" and "2009-03-01T07:05Z".
QString IsoLocal(TDateTime t, int zoneMinutes);
QString IsoUtc(TDateTime t, int zoneMinutes);

} // namespace Analysis
