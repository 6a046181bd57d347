#pragma once
// The CSV forms of a run for data tools: a point as decimal separator, one
// header line, whole lines only.

#include "analysis/ranksize.h"
#include "analysis/statistics.h"

#include <cstdint>
#include <optional>
#include <string>

namespace landuse {

// "step,agents,successful,travel_time,migrated,returning\n" and its rows.
extern const char* const StatsCsvHeader;
std::string StatsCsvRow(int64_t step, int64_t agents, const RunStatistics& s);

// "time,intercept_K,correlation_r,slope,avg_diff\n", then one row per measure.
std::string RankSizeCsv(const RankSizeWindow& window);

// A number for a CSV cell; an empty cell for none.
std::string CsvNumber(const std::optional<double>& value);

} // namespace landuse
