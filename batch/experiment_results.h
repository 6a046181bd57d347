#pragma once
// What a batch experiment's folder holds, read back for its report: the
// experiment from batch.json, and of every complete run its row, its
// statistics over time, its rank-size fits and its final world picture. Works
// on a partial or sharded experiment: the runs not complete are listed.

#include "batch/batch_plan.h"

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace landuse {

// The folder is no experiment of landuse-batch; the message is one line.
class NotAnExperiment : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// The four statistics of stats.csv, in its column order.
inline constexpr const char* StatisticNames[4] = {"successful", "travel_time", "migrated", "returning"};

struct RunResult {
    uint64_t run = 0;
    std::vector<std::string> cells;  // its row of runs.csv, cell by cell
    std::vector<double> values;      // the same as numbers; NaN where empty
    std::vector<double> steps;       // stats.csv: the step of each row
    std::vector<double> statistics[4]; // and the four statistics
    std::vector<double> fitTimes;    // ranksize.csv: time of each measure
    std::vector<double> slopes;      // its slope and correlation r (NaN before a fit)
    std::vector<double> correlations;
    std::filesystem::path picture;   // pictures/<stem>1.jpg; empty when missing
};

struct ExperimentResults {
    std::filesystem::path folder;
    Experiment experiment = Experiment::Repeat;
    uint64_t runs = 0; // the experiment's runs, complete or not
    int64_t steps = 0; // of each run
    std::vector<std::string> columns; // of runs.csv
    std::vector<std::string> varied;  // the columns between seed and step
    std::vector<RunResult> complete;  // in run order
    std::vector<uint64_t> missing;    // runs not complete, in run order

    // The column's index; throws std::out_of_range for a name it lacks.
    size_t column(std::string_view name) const;
};

// Throws NotAnExperiment when the folder or its batch.json is missing or
// not one this program wrote, std::runtime_error naming the file when a
// complete run's files do not read.
ExperimentResults ReadExperimentResults(const std::filesystem::path& folder);

} // namespace landuse
