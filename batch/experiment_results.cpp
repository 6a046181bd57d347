#include "batch/experiment_results.h"

#include "files/export_error.h"
#include "files/export_file.h"
#include "model/numtext.h"
#include "batch/batch_run.h"

#include <charconv>
#include <cstdint>
#include <cmath>
#include <limits>
#include <optional>
#include <system_error>

namespace landuse {

namespace fs = std::filesystem;

namespace {

constexpr double None = std::numeric_limits<double>::quiet_NaN();

std::vector<std::string> splitCells(std::string_view line)
{
    std::vector<std::string> cells;
    size_t start = 0;
    for (;;) {
        const size_t comma = line.find(',', start);
        cells.emplace_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos)
            return cells;
        start = comma + 1;
    }
}

std::vector<std::string_view> linesOf(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// A CSV number as DataNumber writes it; NaN for an empty cell or "nan".
std::optional<double> cellNumber(std::string_view cell)
{
    if (cell.empty() || cell == "nan")
        return None;
    if (cell == "inf")
        return std::numeric_limits<double>::infinity();
    if (cell == "-inf")
        return -std::numeric_limits<double>::infinity();
    double value = 0;
    const auto [end, ec] = std::from_chars(cell.data(), cell.data() + cell.size(), value);
    if (ec != std::errc() || end != cell.data() + cell.size())
        return std::nullopt;
    return value;
}

bool wholeNumber(const std::optional<std::string>& text, uint64_t& out)
{
    if (!text)
        return false;
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), out);
    return ec == std::errc() && end == text->data() + text->size() && out <= uint64_t(INT32_MAX);
}

// The raw value of a one-line field "  "NAME": VALUE," of batch.json.
std::optional<std::string> fieldOf(const std::string& json, std::string_view name)
{
    const std::string key = "\n  \"" + std::string(name) + "\": ";
    const size_t at = json.find(key);
    if (at == std::string::npos)
        return std::nullopt;
    const size_t start = at + key.size();
    std::string value = json.substr(start, json.find('\n', start) - start);
    if (!value.empty() && value.back() == ',')
        value.pop_back();
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

// A table this program wrote: its header must be `header` (when given),
// every row as wide as it; returns the rows' numbers column by column.
std::vector<std::vector<double>> readTable(const fs::path& file, const std::vector<std::string>& header,
                                           std::vector<std::string>* firstRow = nullptr)
{
    const std::string text = ReadFileBytes(file);
    const std::vector<std::string_view> lines = linesOf(text);
    const auto bad = [&](size_t line, const std::string& why) {
        return std::runtime_error(file.string() + ":" + IntToStr(int64_t(line + 1)) + ": " + why);
    };
    if (lines.empty() || splitCells(lines[0]) != header)
        throw bad(0, "not the header this program writes");
    std::vector<std::vector<double>> columns(header.size());
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> cells = splitCells(lines[i]);
        if (cells.size() != header.size())
            throw bad(i, IntToStr(int64_t(cells.size())) + " cells where the header has "
                             + IntToStr(int64_t(header.size())));
        for (size_t c = 0; c < cells.size(); ++c) {
            const std::optional<double> value = cellNumber(cells[c]);
            if (!value)
                throw bad(i, Quoted(cells[c]) + " is no number");
            columns[c].push_back(*value);
        }
        if (firstRow && i == 1)
            *firstRow = cells;
    }
    return columns;
}

fs::path worldPicture(const fs::path& folder)
{
    std::error_code ec;
    fs::path found;
    for (fs::directory_iterator it(folder / "pictures", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.ends_with("1.jpg") && (found.empty() || it->path() < found))
            found = it->path();
    }
    return found;
}

RunResult readRun(const ExperimentResults& e, uint64_t run)
{
    const fs::path folder = e.folder / "runs" / RunFolderName(run);
    RunResult r;
    r.run = run;
    const std::vector<std::vector<double>> row = readTable(folder / "result.csv", e.columns, &r.cells);
    if (row.empty() || row[0].size() != 1)
        throw std::runtime_error((folder / "result.csv").string() + ": not the one row of a run");
    for (const auto& column : row)
        r.values.push_back(column[0]);
    auto stats = readTable(folder / "stats.csv",
                           {"step", "agents", "successful", "travel_time", "migrated", "returning"});
    r.steps = std::move(stats[0]);
    for (size_t i = 0; i < 4; ++i)
        r.statistics[i] = std::move(stats[2 + i]);
    auto fits = readTable(folder / "ranksize.csv", {"time", "intercept_K", "correlation_r", "slope", "avg_diff"});
    r.fitTimes = std::move(fits[0]);
    r.correlations = std::move(fits[2]);
    r.slopes = std::move(fits[3]);
    r.picture = worldPicture(folder);
    return r;
}

} // namespace

size_t ExperimentResults::column(std::string_view name) const
{
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i] == name)
            return i;
    throw std::out_of_range("runs.csv has no column " + std::string(name));
}

ExperimentResults ReadExperimentResults(const fs::path& folder)
{
    const auto refuse = [&](const std::string& why) {
        return NotAnExperiment(Quoted(folder.string()) + " is no experiment folder of landuse-batch: " + why);
    };
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        throw refuse(fs::exists(folder, ec) ? "not a folder" : "no such folder");
    std::string json;
    try {
        json = ReadFileBytes(folder / "batch.json");
    } catch (const ExportError&) {
        throw refuse("no readable batch.json");
    }
    ExperimentResults e;
    e.folder = folder;
    const std::optional<std::string> experiment = fieldOf(json, "experiment");
    const std::optional<std::string> runs = fieldOf(json, "runs");
    const std::optional<std::string> steps = fieldOf(json, "steps");
    const std::optional<std::string> columns = fieldOf(json, "columns");
    const std::optional<Experiment> kind = experiment ? ExperimentNamed(*experiment) : std::nullopt;
    uint64_t runCount = 0, stepCount = 0;
    if (!kind || !wholeNumber(runs, runCount) || !wholeNumber(steps, stepCount) || !columns || runCount > MostRuns)
        throw refuse("batch.json does not describe an experiment");
    e.experiment = *kind;
    e.runs = runCount;
    e.steps = int64_t(stepCount);
    e.columns = splitCells(*columns);
    size_t stepColumn = 0;
    while (stepColumn < e.columns.size() && e.columns[stepColumn] != "step")
        ++stepColumn;
    if (e.columns.size() < 3 || e.columns[0] != "run" || e.columns[1] != "seed" || stepColumn == e.columns.size())
        throw refuse("batch.json does not describe an experiment");
    e.varied.assign(e.columns.begin() + 2, e.columns.begin() + std::ptrdiff_t(stepColumn));
    for (uint64_t run = 0; run < e.runs; ++run) {
        if (RunIsComplete(folder / "runs" / RunFolderName(run)))
            e.complete.push_back(readRun(e, run));
        else
            e.missing.push_back(run);
    }
    return e;
}

} // namespace landuse
