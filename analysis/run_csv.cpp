#include "analysis/run_csv.h"

#include "model/numtext.h"

namespace landuse {

const char* const StatsCsvHeader = "step,agents,successful,travel_time,migrated,returning\n";

std::string StatsCsvRow(int64_t step, int64_t agents, const RunStatistics& s)
{
    std::string row = IntToStr(step);
    for (const int64_t v : {agents, s.Successful, s.TravelTime, s.Migrated, s.Returning}) {
        row += ',';
        row += IntToStr(v);
    }
    row += '\n';
    return row;
}

std::string CsvNumber(const std::optional<double>& value) { return value ? DataNumber(*value) : std::string(); }

std::string RankSizeCsv(const RankSizeWindow& window)
{
    std::string csv = "time,intercept_K,correlation_r,slope,avg_diff\n";
    for (const RankSizeRow& row : window.Measures) {
        csv += IntToStr(row.Time);
        for (const auto& v : {row.K, row.Correlation, row.Slope, row.AvgDiff}) {
            csv += ',';
            csv += CsvNumber(v);
        }
        csv += '\n';
    }
    return csv;
}

} // namespace landuse
