#include "batch/batch_folder.h"

#include "files/export_error.h"
#include "files/export_file.h"
#include "files/json_text.h"
#include "batch/batch_run.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <stdexcept>
#include <system_error>

namespace landuse {

namespace fs = std::filesystem;

namespace {

// The raw value of a one-line field "  "NAME": VALUE," of a file this
// program wrote.
std::optional<std::string> fieldOf(const std::string& json, std::string_view name)
{
    const std::string key = "\n  " + JsonString(name) + ": ";
    const size_t at = json.find(key);
    if (at == std::string::npos)
        return std::nullopt;
    const size_t start = at + key.size();
    const size_t end = json.find('\n', start);
    std::string value = json.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!value.empty() && value.back() == ',')
        value.pop_back();
    return value;
}

std::optional<std::string> readIfThere(const fs::path& file)
{
    std::error_code ec;
    if (!fs::exists(file, ec))
        return std::nullopt;
    return ReadFileBytes(file);
}

// A JSON string this program wrote, without escapes (names and numbers only).
std::string plainString(const std::string& value)
{
    if (value.size() < 2 || value.front() != '"' || value.back() != '"')
        return value;
    return value.substr(1, value.size() - 2);
}

// A name no other start has, on this machine or another that shares the folder.
std::string uniqueName(std::string_view base)
{
    char host[256] = "";
    gethostname(host, sizeof host - 1);
    std::random_device random;
    return std::string(base) + "." + host + "-" + std::to_string(getpid()) + "-" + std::to_string(random()) + ".new";
}

} // namespace

void PrepareBatchFolder(const fs::path& outDir)
{
    try {
        EnsureFolder(outDir / "runs");
        const fs::path probe = outDir / uniqueName(".probe");
        WriteFileReplacing(probe, "");
        std::error_code ec;
        fs::remove(probe, ec);
    } catch (const ExportError& e) {
        throw std::invalid_argument(e.what());
    }
}

FolderLock::FolderLock(const fs::path& outDir, const std::optional<Shard>& shard)
{
    const auto hold = [&](const fs::path& file, int how, const std::string& what) {
        const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0)
            return; // the folder's own checks tell what is wrong with it
        if (::flock(fd, how | LOCK_NB) == 0) {
            fds_.push_back(fd);
            return;
        }
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            throw std::invalid_argument(FileErrorMessage("use", outDir, "another landuse-batch is working on " + what));
    };
    if (!shard) {
        hold(outDir / ".batch.lock", LOCK_EX, "its runs");
        return;
    }
    const std::string name = std::to_string(shard->index) + "-of-" + std::to_string(shard->count);
    hold(outDir / ".batch.lock", LOCK_SH, "its runs");
    hold(outDir / (".shard-" + name + ".lock"), LOCK_EX,
         "shard " + std::to_string(shard->index) + "/" + std::to_string(shard->count));
}

FolderLock::~FolderLock()
{
    for (const int fd : fds_)
        ::close(fd);
}

std::string BatchJson(const BatchPlan& plan)
{
    std::string j = "{\n";
    j += "  \"experiment\": " + JsonString(ExperimentName(plan.request.experiment)) + ",\n";
    j += "  \"seed\": " + std::to_string(plan.request.seed) + ",\n";
    j += "  \"runs\": " + std::to_string(plan.runCount) + ",\n";
    j += "  \"steps\": " + std::to_string(plan.steps) + ",\n";
    std::string header = RunsCsvHeader(plan);
    header.pop_back();
    j += "  \"columns\": " + JsonString(header) + ",\n";
    j += "  \"settings\": [";
    for (size_t i = 0; i < plan.request.settings.size(); ++i)
        j += (i ? ",\n    " : "\n    ") + JsonString(plan.request.settings[i]);
    j += plan.request.settings.empty() ? "]\n" : "\n  ]\n";
    j += "}\n";
    return j;
}

std::optional<uint64_t> RecordedSeed(const fs::path& outDir)
{
    std::optional<std::string> json;
    try {
        json = readIfThere(outDir / "batch.json");
    } catch (const ExportError&) {
        return std::nullopt;
    }
    if (!json)
        return std::nullopt;
    const std::optional<std::string> seed = fieldOf(*json, "seed");
    if (!seed)
        return std::nullopt;
    try {
        return std::stoull(*seed);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void RecordBatch(const fs::path& outDir, const std::string& json)
{
    const fs::path file = outDir / "batch.json";
    try {
        const std::optional<std::string> there = readIfThere(file);
        if (!there) {
            // Shards starting together write the same bytes, each through a
            // file of its own; the last rename wins.
            const fs::path mine = outDir / uniqueName("batch.json");
            WriteFileReplacing(mine, json);
            try {
                RenameDurably(mine, file);
            } catch (const ExportError&) {
                std::error_code ec;
                fs::remove(mine, ec);
                throw;
            }
            return;
        }
        if (*there == json)
            return;
        const std::string experiment = plainString(fieldOf(*there, "experiment").value_or("?"));
        throw std::invalid_argument(FileErrorMessage(
            "use", outDir,
            "it holds another experiment (" + experiment + ", seed " + fieldOf(*there, "seed").value_or("?") + ", "
                + fieldOf(*there, "runs").value_or("?")
                + " runs; see its batch.json): give the same settings and seed, or another folder"));
    } catch (const ExportError& e) {
        throw std::invalid_argument(e.what());
    }
}

fs::path RunFolder(const fs::path& outDir, uint64_t run) { return outDir / "runs" / RunFolderName(run); }

std::optional<std::string> CompleteRunRow(const fs::path& outDir, uint64_t run, const std::string& header)
{
    const fs::path folder = RunFolder(outDir, run);
    if (!RunIsComplete(folder))
        return std::nullopt;
    std::string csv;
    try {
        csv = ReadFileBytes(folder / "result.csv");
    } catch (const ExportError&) {
        return std::nullopt; // redone
    }
    if (!csv.starts_with(header) || csv.size() == header.size() || csv.back() != '\n')
        throw std::runtime_error(FileErrorMessage("use", folder / "result.csv",
                                                  "its columns are not those of this experiment"));
    return csv.substr(header.size());
}

RunsTable::RunsTable(fs::path file, std::string header) : file_(std::move(file)), header_(std::move(header)) {}

void RunsTable::replace(const std::vector<std::string>& rows)
{
    std::string bytes = header_;
    for (const std::string& row : rows)
        bytes += row;
    const std::lock_guard lock(mutex_);
    WriteFileReplacing(file_, bytes);
}

void RunsTable::append(const std::string& row)
{
    const std::lock_guard lock(mutex_);
    // One write of the whole row to a file opened for appending: a reader
    // sees the row whole or not at all.
    const int fd = ::open(file_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0)
        throw ExportError(FileErrorMessage("write", file_, std::strerror(errno)));
    const ssize_t written = ::write(fd, row.data(), row.size());
    const int error = written < 0 ? errno : written != ssize_t(row.size()) ? ENOSPC : 0;
    if (::close(fd) != 0 && error == 0)
        throw ExportError(FileErrorMessage("write", file_, std::strerror(errno)));
    if (error != 0)
        throw ExportError(FileErrorMessage("write", file_, std::strerror(error)));
}

fs::path RunsTablePath(const fs::path& outDir, const std::optional<Shard>& shard)
{
    if (!shard)
        return outDir / "runs.csv";
    return outDir / ("runs-shard-" + std::to_string(shard->index) + "-of-" + std::to_string(shard->count) + ".csv");
}

MergeResult MergeRuns(const fs::path& outDir)
{
    std::optional<std::string> json;
    try {
        json = readIfThere(outDir / "batch.json");
    } catch (const ExportError& e) {
        throw std::invalid_argument(e.what());
    }
    if (!json)
        throw std::invalid_argument(FileErrorMessage("merge", outDir, "it has no batch.json: no experiment ran there"));
    const std::optional<std::string> runs = fieldOf(*json, "runs");
    const std::optional<std::string> columns = fieldOf(*json, "columns");
    MergeResult result;
    try {
        result.total = std::stoull(runs.value_or(""));
    } catch (const std::exception&) {
        throw std::invalid_argument(FileErrorMessage("read", outDir / "batch.json", "it names no number of runs"));
    }
    if (!columns)
        throw std::invalid_argument(FileErrorMessage("read", outDir / "batch.json", "it names no columns"));
    const std::string header = plainString(*columns) + "\n";
    std::vector<std::string> rows;
    for (uint64_t run = 0; run < result.total; ++run) {
        if (std::optional<std::string> row = CompleteRunRow(outDir, run, header)) {
            rows.push_back(std::move(*row));
            ++result.merged;
        } else {
            result.missing.push_back(run);
        }
    }
    RunsTable(outDir / "runs.csv", header).replace(rows);
    return result;
}

} // namespace landuse
