#pragma once

#include "chart/chart.h"

namespace landuse {

// Whether the X values go into a chart's files. They are left out of the
// whole file when the first series that has points has exactly the X values
// 0, 1, 2, ... (its own point indices); a chart with no points keeps them.
bool WritesXValues(const Chart& chart);

} // namespace landuse
