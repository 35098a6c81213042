#pragma once

#include "data/Date_unit.h"

#include <cstdint>
#include <utility>
#include <vector>

// The archive keeps times as whole seconds of a wall clock since 1970-01-01 00:00 (exact in
// every SQL database), the tables as TDateTime.
namespace ArchiveTime {

int64_t Seconds(TDateTime value);
// The same value EncodeDateTime gives for that wall-clock time.
TDateTime FromSeconds(int64_t seconds);

bool IsMarker(int64_t seconds); // a power-reset or sequence-error record: no real time

// Drift correction of one segment: anchors are (logger time, offset of the logger's clock in
// seconds, logger minus true time); the segment's start is (start, 0). The offset is linear
// between anchors and the last one's is kept after it. Corrected times are whole minutes.
class Drift {
public:
    Drift(int64_t start, std::vector<std::pair<int64_t, double>> anchors);
    int64_t Correct(int64_t raw) const;
    double OffsetAt(int64_t raw) const;

private:
    std::vector<std::pair<int64_t, double>> m_points;
};

} // namespace ArchiveTime
