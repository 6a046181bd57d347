#include "analysis/export_series.h"

#include <cstdint>
#include <sstream>
#include <utility>

#include "files/export_file.h"
#include "files/export_paths.h"
#include "chart/worksheet_writer.h"
#include "chart/xml_writer.h"
#include "model/numtext.h"

namespace landuse {

namespace {

template <typename Writer>
EncodedFile encode(const Chart& chart, Writer write)
{
    std::ostringstream bytes(std::ios::binary);
    const WriteReport report = write(bytes, chart);
    return {std::move(bytes).str(), report};
}

std::string countNote(std::size_t n, const char* what)
{
    return IntToStr(std::int64_t(n)) + " " + what;
}

} // namespace

std::vector<WrittenFile> SaveSeriesData(const std::filesystem::path& baseDir, std::string_view stem,
                                        const Chart& rankSize, const Chart& linear, const Chart& timeSeries)
{
    CheckExportStem(stem);
    const std::filesystem::path dataDir = ExportFolderPath(baseDir, ExportFolder::Data);
    EnsureFolder(dataDir);
    return SaveSeriesDataTo(dataDir, stem, rankSize, linear, timeSeries);
}

std::vector<WrittenFile> SaveSeriesDataTo(const std::filesystem::path& dataDir, std::string_view stem,
                                          const Chart& rankSize, const Chart& linear, const Chart& timeSeries)
{
    const auto names = SeriesDataFiles(dataDir, stem);
    const auto encoded = EncodeSeriesData(rankSize, linear, timeSeries);
    std::vector<WrittenFile> files;
    for (std::size_t i = 0; i < names.size(); ++i) {
        WriteFileReplacing(names[i], encoded[i].bytes);
        files.push_back({names[i], encoded[i].report});
    }
    return files;
}

std::array<std::filesystem::path, 3> SeriesDataFiles(const std::filesystem::path& dataDir, std::string_view stem)
{
    return {ExportFileIn(dataDir, stem, 3, ".xls"), ExportFileIn(dataDir, stem, 4, ".xls"),
            ExportFileIn(dataDir, stem, 5, ".xls")};
}

std::array<EncodedFile, 3> EncodeSeriesData(const Chart& rankSize, const Chart& linear, const Chart& timeSeries)
{
    return {encode(rankSize, WriteWorksheet), encode(linear, WriteChartXml), encode(timeSeries, WriteChartXml)};
}

std::string DescribeOmissions(const std::vector<WrittenFile>& files)
{
    std::string text;
    for (const WrittenFile& f : files) {
        const WriteReport& r = f.report;
        if (r.complete())
            continue;
        std::string parts;
        const auto add = [&](const std::string& part) {
            if (!parts.empty())
                parts += ", ";
            parts += part;
        };
        if (r.droppedColumns > 0)
            add(countNote(r.droppedColumns, "columns beyond the worksheet's last column left out"));
        if (r.droppedRows > 0)
            add(countNote(r.droppedRows, "rows beyond the worksheet's last row left out"));
        if (r.nonFiniteValues > 0)
            add(countNote(r.nonFiniteValues, "values that are not finite numbers left empty"));
        text += '"';
        text += f.file.string();
        text += "\": ";
        text += parts;
        text += '\n';
    }
    return text;
}

} // namespace landuse
