#pragma once
// Command line of the batch runner.

#include "batch/batch_plan.h"
#include "batch/shard.h"
#include "model/grid.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace landuse {

struct BatchOptions {
    bool help = false;
    bool version = false;
    bool merge = false; // "merge OUT_DIR"
    bool report = false;     // --report: the report once the runs are done
    bool reportOnly = false; // "report OUT_DIR"
    Experiment experiment = Experiment::Repeat;
    std::filesystem::path outDir;
    std::vector<std::string> settings; // --params files' lines and --set texts, in the order given
    std::optional<uint64_t> runs;
    std::optional<uint64_t> seed;
    std::optional<unsigned> jobs;
    std::optional<Shard> shard;
    std::optional<GridKernels> kernels;
};

// Throws std::invalid_argument with a one-line message naming the bad text.
BatchOptions ParseBatchOptions(int argc, char** argv);

// "NAME=TEXT" lines; blank lines and those starting with '#' are skipped,
// and blanks around a line are dropped. Throws std::invalid_argument
// "FILE:LINE: ..." for a line of another form, or naming the file that
// cannot be read.
std::vector<std::string> ReadParamsFile(const std::filesystem::path& file);

// "I/N" with I below N. Throws std::invalid_argument naming the text.
Shard ParseShard(std::string_view text);

// The shard of a Slurm array task: SLURM_ARRAY_TASK_ID less
// SLURM_ARRAY_TASK_MIN (0 when unset) of SLURM_ARRAY_TASK_COUNT tasks (or
// SLURM_ARRAY_TASK_MAX - MIN + 1). Nothing outside an array task. Throws
// std::invalid_argument when the variables do not make a shard.
using Environment = std::function<const char*(const char*)>;
std::optional<Shard> ShardFromEnvironment(const Environment& env = std::getenv);

} // namespace landuse
