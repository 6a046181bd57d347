#pragma once
// The report of a batch experiment: OUT_DIR/report/index.html with PNG plots
// drawn by ChartView offscreen, a contact sheet of the runs' final worlds and
// a table of the runs; one folder that needs no network. Each plot's points
// are kept beside it as CSV (series,x,y) for data tools and checks.

#include "batch/experiment_results.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace landuse::ui {

struct ReportSummary {
    std::filesystem::path index; // OUT_DIR/report/index.html
    size_t plots = 0;            // PNG charts, the contact sheet not counted
    uint64_t complete = 0;
    uint64_t missing = 0;
};

// The report of what was read from an experiment's folder, into its report
// folder. Needs a QApplication. The folder is written as report.part and
// renamed into place, so a failure leaves an older report as it was and
// nothing half-written. Throws std::runtime_error naming the file.
ReportSummary WriteExperimentReport(const ExperimentResults& results);

} // namespace landuse::ui
