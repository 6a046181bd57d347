#pragma once

#include <cstddef>

namespace landuse {

// What a chart writer could not put into its file. A complete file has all
// counts zero.
struct WriteReport {
    std::size_t droppedColumns = 0;  // columns beyond the worksheet's last one
    std::size_t droppedRows = 0;     // data rows beyond the worksheet's last one
    std::size_t nonFiniteValues = 0; // NaN or infinity, written as empty cells

    bool complete() const { return droppedColumns == 0 && droppedRows == 0 && nonFiniteValues == 0; }
};

} // namespace landuse
