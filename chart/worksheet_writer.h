#pragma once

#include <cstddef>
#include <ostream>

#include "chart/chart.h"
#include "chart/write_report.h"

namespace landuse {

// The file declares itself a version-0 (BIFF2) worksheet, whose readers stop
// at 256 columns and 16,384 rows; the header row counts as one of them.
inline constexpr std::size_t WorksheetMaxColumns = 256;
inline constexpr std::size_t WorksheetMaxRows = 16384;

// Writes all series of the chart as a BIFF worksheet: a header row with the
// value-list names, then one row per point index, each series contributing
// an X column (unless WritesXValues says no) and a Y column. Series beyond
// the last column and rows beyond the last row are left out and counted in
// the report; NaN and infinity become empty cells.
WriteReport WriteWorksheet(std::ostream& out, const Chart& chart);

} // namespace landuse
