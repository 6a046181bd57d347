#pragma once
// An empty-cell survey the plain way: one scan in row order.

#include "model/empty_cell_survey.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace landuse::test {

struct EmptyCellScan {
    double high = -std::numeric_limits<double>::infinity();
    double low = std::numeric_limits<double>::infinity();
    std::vector<uint32_t> occupied;
};

inline EmptyCellScan ScanEmptyCells(const TCell* cells, size_t count, int word)
{
    EmptyCellScan scan;
    for (size_t i = 0; i < count; ++i) {
        if (cells[i].LandUse != Empty) {
            scan.occupied.push_back(uint32_t(i));
            continue;
        }
        const double v = CellWord(cells[i], word);
        if (v > scan.high)
            scan.high = v;
        if (v < scan.low)
            scan.low = v;
    }
    return scan;
}

// Whether a survey found what the scan finds. Bounds compare as numbers:
// which zero a zero bound is may differ, and neither is ever NaN.
inline bool SameAsScan(const EmptyCellSurvey& survey, const EmptyCellScan& scan)
{
    return survey.taken() && survey.high() == scan.high && survey.low() == scan.low
        && std::vector<uint32_t>(survey.occupied().begin(), survey.occupied().end()) == scan.occupied;
}

} // namespace landuse::test
