#pragma once
// The output folder of a batch experiment:
//   batch.json   what the experiment is (written once; a later start must match it)
//   runs/NNNNNN/ one folder per run
//   runs.csv     one row per complete run; a shard keeps runs-shard-I-of-N.csv

#include "batch/batch_plan.h"
#include "batch/shard.h"

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace landuse {

// Creates the folder and its runs folder and proves that files can be made
// there. Throws std::invalid_argument "Cannot write "DIR": reason".
void PrepareBatchFolder(const std::filesystem::path& outDir);

// Keeps a second start from working on the same runs at the same time: a
// whole experiment holds the folder alone, shards share it but each holds
// its own share. Where the file system has no locks, nothing is held.
class FolderLock {
public:
    // Throws std::invalid_argument when another start holds what this one needs.
    FolderLock(const std::filesystem::path& outDir, const std::optional<Shard>& shard);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    std::vector<int> fds_;
};

// The text of batch.json for a plan.
std::string BatchJson(const BatchPlan& plan);
// The master seed batch.json records, if the folder has one.
std::optional<uint64_t> RecordedSeed(const std::filesystem::path& outDir);
// Writes batch.json, or checks that the one there describes the same
// experiment. Throws std::invalid_argument when it does not.
void RecordBatch(const std::filesystem::path& outDir, const std::string& json);

std::filesystem::path RunFolder(const std::filesystem::path& outDir, uint64_t run);
// The row a complete run left in its result.csv, with its line end; nothing
// when the run is not complete. Throws std::runtime_error when the row's
// header is not `header`: the folder holds a run of another experiment.
std::optional<std::string> CompleteRunRow(const std::filesystem::path& outDir, uint64_t run,
                                          const std::string& header);

// runs.csv, or a shard's own table: valid CSV at every moment. It is
// replaced whole (header and rows) or grows by whole rows.
class RunsTable {
public:
    RunsTable(std::filesystem::path file, std::string header);
    // The header and the rows, in their order, in place of what was there.
    void replace(const std::vector<std::string>& rows);
    // One more row at the end; safe from several threads.
    void append(const std::string& row);
    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
    std::string header_;
    std::mutex mutex_;
};

std::filesystem::path RunsTablePath(const std::filesystem::path& outDir, const std::optional<Shard>& shard);

struct MergeResult {
    uint64_t merged = 0;
    uint64_t total = 0;
    std::vector<uint64_t> missing;
};
// Rebuilds runs.csv from the complete run folders, in run order. Throws
// std::invalid_argument when the folder has no batch.json, and
// std::runtime_error when a run folder holds another experiment's run.
MergeResult MergeRuns(const std::filesystem::path& outDir);

} // namespace landuse
