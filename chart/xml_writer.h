#pragma once

#include <ostream>

#include "chart/chart.h"
#include "chart/write_report.h"

namespace landuse {

// Writes all series of the chart as an XML document with CR LF line ends:
// one <series> element per series with its title, type name and colour, and
// one <point> per point carrying the X (unless WritesXValues says no) and Y
// values. A NaN or infinite value is written as an empty attribute and
// counted in the report.
WriteReport WriteChartXml(std::ostream& out, const Chart& chart);

} // namespace landuse
