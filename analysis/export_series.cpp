#include "analysis/export_series.h"

#include <cstdint>
#include <sstream>

#include "analysis/export_file.h"
#include "analysis/export_paths.h"
#include "chart/worksheet_writer.h"
#include "chart/xml_writer.h"
#include "model/numtext.h"

namespace landuse {

namespace {

template <typename Writer>
WrittenFile WriteChartFile(const std::filesystem::path& file, const Chart& chart, Writer write)
{
    std::ostringstream bytes(std::ios::binary);
    const WriteReport report = write(bytes, chart);
    WriteFileReplacing(file, bytes.view());
    return {file, report};
}

std::string Count(std::size_t n, const char* what)
{
    return IntToStr(std::int64_t(n)) + " " + what;
}

} // namespace

std::vector<WrittenFile> SaveSeriesData(const std::filesystem::path& baseDir, std::string_view stem,
                                        const Chart& rankSize, const Chart& linear, const Chart& timeSeries)
{
    const std::filesystem::path dataDir = ExportFolderPath(baseDir, ExportFolder::Data);
    EnsureFolder(dataDir);
    return SaveSeriesDataTo(dataDir, stem, rankSize, linear, timeSeries);
}

std::vector<WrittenFile> SaveSeriesDataTo(const std::filesystem::path& dataDir, std::string_view stem,
                                          const Chart& rankSize, const Chart& linear, const Chart& timeSeries)
{
    const auto name = [&](int suffix) { return ExportFileIn(dataDir, stem, suffix, ".xls"); };

    std::vector<WrittenFile> files;
    files.push_back(WriteChartFile(name(3), rankSize, WriteWorksheet));
    files.push_back(WriteChartFile(name(4), linear, WriteChartXml));
    files.push_back(WriteChartFile(name(5), timeSeries, WriteChartXml));
    return files;
}

std::string DescribeOmissions(const std::vector<WrittenFile>& files)
{
    std::string text;
    for (const WrittenFile& f : files) {
        const WriteReport& r = f.report;
        if (r.Complete())
            continue;
        std::string parts;
        const auto add = [&](const std::string& part) {
            if (!parts.empty())
                parts += ", ";
            parts += part;
        };
        if (r.droppedColumns > 0)
            add(Count(r.droppedColumns, "columns beyond the worksheet's last column left out"));
        if (r.droppedRows > 0)
            add(Count(r.droppedRows, "rows beyond the worksheet's last row left out"));
        if (r.nonFiniteValues > 0)
            add(Count(r.nonFiniteValues, "values that are not finite numbers left empty"));
        text += '"';
        text += f.file.string();
        text += "\": ";
        text += parts;
        text += '\n';
    }
    return text;
}

} // namespace landuse
