#pragma once

#include <array>
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
// Returns the files in that order with what each had to leave out. A stem
// that CheckExportStem refuses throws before anything is made; the first
// file that cannot be written throws ExportError naming it; files written
// before it stay.
std::vector<WrittenFile> SaveSeriesData(const std::filesystem::path& baseDir, std::string_view stem,
                                        const Chart& rankSize, const Chart& linear, const Chart& timeSeries);

// The same three files straight into dataDir, which must exist.
std::vector<WrittenFile> SaveSeriesDataTo(const std::filesystem::path& dataDir, std::string_view stem,
                                          const Chart& rankSize, const Chart& linear, const Chart& timeSeries);

// The parts of SaveSeriesDataTo, for a caller that opens the files long
// before it has the data: the three names in dataDir (throws for a refused
// stem), and the three files' bytes with what each had to leave out, in the
// same order.
std::array<std::filesystem::path, 3> SeriesDataFiles(const std::filesystem::path& dataDir, std::string_view stem);

struct EncodedFile {
    std::string bytes;
    WriteReport report;
};
std::array<EncodedFile, 3> EncodeSeriesData(const Chart& rankSize, const Chart& linear, const Chart& timeSeries);

// One line per incomplete file, saying what was left out; empty when every
// file is complete.
std::string DescribeOmissions(const std::vector<WrittenFile>& files);

} // namespace landuse
