#pragma once
// One run of a batch experiment, alone in a fresh simulation, and the files
// it leaves in its own folder:
//   pictures/STEM1.jpg           the world at the run's end
//   data/STEM3.xls, 4.xls, 5.xls the three charts' series, as the window saves them
//   stats.csv, ranksize.csv      the per-step statistics and the rank-size measures
//   result.csv                   the run's row of runs.csv, with its header
//   run.json                     parameters and result; written last, it marks the run complete

#include "analysis/ranksize.h"
#include "analysis/statistics.h"
#include "model/grid.h"
#include "batch/batch_plan.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace landuse {

struct RunRecord {
    uint64_t run = 0;
    uint64_t seed = 0;
    std::string stem;
    std::vector<double> varied; // the plan's varied parameters, in its order
    int32_t step = 0;           // the last step
    int64_t agents = 0;
    RunStatistics stats;
    std::optional<RankSizeRow> fit; // the last rank-size measure, if any
};

// "000042".
std::string RunFolderName(uint64_t run);

// The columns of runs.csv and the row of one run, each with its line end.
std::string RunsCsvHeader(const BatchPlan& plan);
std::string RunsCsvRow(const RunRecord& record);

// Makes run `run` of the plan in `folder`, which is emptied first. Throws
// std::runtime_error with the model's message when a step fails, or
// ExportError naming a file that could not be written; the run is then
// incomplete and a later attempt makes it again.
RunRecord ExecuteRun(const BatchPlan& plan, uint64_t run, const std::filesystem::path& folder, GridKernels kernels);

// Whether the folder holds a complete run: run.json with its mark.
bool RunIsComplete(const std::filesystem::path& folder);

} // namespace landuse
