#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "chart/chart.h"
#include "chart/write_report.h"

namespace landuse {

struct WrittenFile {
    std::filesystem::path file;
    WriteReport report;
};

// Writes the data of the three charts into baseDir/data, creating the folder
// when missing: stem + "3.xls" the rank-size chart as a worksheet, stem +
// "4.xls" the linear chart and stem + "5.xls" the time-series chart as XML.
// Returns the files in that order with what each had to leave out. The first
// file that cannot be written throws ExportError naming it; files written
// before it stay.
// The same three files straight into dataDir, which must exist.
std::vector<WrittenFile> SaveSeriesDataTo(const std::filesystem::path& dataDir, std::string_view stem,
                                          const Chart& rankSize, const Chart& linear, const Chart& timeSeries);

std::vector<WrittenFile> SaveSeriesData(const std::filesystem::path& baseDir, std::string_view stem,
                                        const Chart& rankSize, const Chart& linear, const Chart& timeSeries);

// One line per incomplete file, saying what was left out; empty when every
// file is complete.
std::string DescribeOmissions(const std::vector<WrittenFile>& files);

} // namespace landuse
