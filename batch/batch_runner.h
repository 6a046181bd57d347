#pragma once
// The runs of one experiment (or of one shard of it) on a set of worker
// threads, each run a fresh simulation, with the table of results kept up
// to date as runs finish.

#include "batch/batch_folder.h"
#include "batch/batch_plan.h"
#include "batch/batch_progress.h"
#include "batch/shard.h"
#include "model/grid.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace landuse {

struct BatchJob {
    BatchPlan plan;
    std::filesystem::path outDir;
    std::optional<Shard> shard;
    unsigned jobs = 1;
    GridKernels kernels = GridKernels::Best;
};

struct BatchOutcome {
    uint64_t runs = 0;     // of this shard
    uint64_t skipped = 0;  // complete before the start
    uint64_t finished = 0; // made by this start
    std::string error;     // the first failed run's message; the rest stopped after their run
};

// The processors this process may run on; at least 1: the workers a
// start has unless told otherwise.
unsigned AvailableProcessors();

// The run numbers of the shard (all runs without one).
std::vector<uint64_t> ShardRuns(uint64_t runCount, const std::optional<Shard>& shard);

// Where the shard's runs stand before a start: the rows of the complete
// ones, and the run numbers still to make.
struct BatchScan {
    uint64_t runs = 0;
    std::vector<std::pair<uint64_t, std::string>> rows; // run, its row of the table
    std::vector<uint64_t> pending;
};
BatchScan ScanBatch(const BatchJob& job);

// Makes the pending runs of the scan. `stop` is asked before each run; once
// it says yes, the workers end after their current run. `progress`, when
// given, is shown from the calling thread. The table holds the shard's
// complete runs in run order at the start and, unless stopped or failed, at
// the end; rows are added as runs finish in between.
BatchOutcome RunBatch(const BatchJob& job, const BatchScan& scan, const std::function<bool()>& stop,
                      BatchProgress* progress = nullptr);

} // namespace landuse
