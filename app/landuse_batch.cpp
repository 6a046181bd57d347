// landuse-batch: the window's parameter sweeps without a window, on every
// processor of a machine or as the tasks of a Slurm job array.

#include "app/batch_options.h"
#include "app/message_line.h"
#include "app/run_options.h"
#include "app/stop_signal.h"
#include "app/usage_text.h"
#include "batch/batch_folder.h"
#include "batch/batch_progress.h"
#include "batch/batch_run.h"
#include "batch/batch_runner.h"
#include "batch/experiment_results.h"
#include "model/numtext.h"
#include "model/random.h"
#include "ui/experiment_report.h"

#include <QApplication>

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>

using namespace landuse;
namespace fs = std::filesystem;

namespace {

constexpr int ExitFailed = 1;
constexpr int ExitBad = 2;

int fail(int status, const std::string& message)
{
    std::cerr << "landuse-batch: " << OneLine(message) << '\n';
    return status;
}

int merge(const fs::path& outDir)
{
    const MergeResult result = MergeRuns(outDir);
    std::string text = "merged " + IntToStr(int64_t(result.merged)) + " of " + IntToStr(int64_t(result.total))
                       + " runs into " + (outDir / "runs.csv").string();
    if (!result.missing.empty()) {
        text += "; not complete:";
        const size_t shown = std::min<size_t>(result.missing.size(), 10);
        for (size_t i = 0; i < shown; ++i) {
            text += ' ';
            text += RunFolderName(result.missing[i]);
        }
        if (result.missing.size() > shown) {
            text += " and ";
            text += IntToStr(int64_t(result.missing.size() - shown));
            text += " more";
        }
    }
    std::cerr << "landuse-batch: " << text << '\n';
    return result.missing.empty() ? 0 : ExitFailed;
}

// Plots are drawn by the window's chart views, on Qt's offscreen platform
// unless one is chosen: the report needs no display.
int report(const fs::path& outDir)
{
    // Read first: a folder that is no experiment is refused in one line,
    // before Qt has anything to say.
    const ExperimentResults results = ReadExperimentResults(outDir);
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt's notes about its offscreen set-up are no news to a batch user.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::cerr << "landuse-batch: " << text.toStdString() << '\n';
    });
    static int argc = 1;
    static char name[] = "landuse-batch";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    const ui::ReportSummary summary = ui::WriteExperimentReport(results);
    std::string text = "report of " + IntToStr(int64_t(summary.complete)) + (summary.complete == 1 ? " run" : " runs")
                       + " in " + summary.index.string() + " (" + IntToStr(int64_t(summary.plots)) + " plots)";
    if (summary.missing > 0)
        text += "; " + IntToStr(int64_t(summary.missing)) + " of "
                + IntToStr(int64_t(summary.complete + summary.missing)) + " runs missing";
    std::cerr << "landuse-batch: " << text << '\n';
    return 0;
}

// Everything is checked before the first run: a bad setting, shard or
// folder ends the command with status 2 and leaves no run behind.
BatchJob prepare(const BatchOptions& options, std::optional<FolderLock>& lock)
{
    BatchJob job;
    job.outDir = options.outDir;
    job.shard = options.shard ? options.shard : ShardFromEnvironment();
    job.kernels = ChooseKernels(options.kernels, std::getenv("LANDUSE_KERNELS"));
    BatchRequest request;
    request.experiment = options.experiment;
    request.settings = options.settings;
    request.runs = options.runs;
    if (options.seed)
        request.seed = *options.seed;
    else if (const std::optional<uint64_t> recorded = RecordedSeed(options.outDir))
        request.seed = *recorded; // the same command goes on with the same runs
    else if (job.shard)
        throw std::invalid_argument("the shards of an experiment need one master seed: give --seed S");
    else
        request.seed = TRandom::clockSeed();
    job.plan = PlanBatch(std::move(request));
    PrepareBatchFolder(job.outDir);
    lock.emplace(job.outDir, job.shard);
    RecordBatch(job.outDir, BatchJson(job.plan));
    job.jobs = options.jobs.value_or(AvailableProcessors());
    return job;
}

int run(const BatchJob& job)
{
    const BatchScan scan = ScanBatch(job);
    const uint64_t complete = scan.rows.size();
    std::string intro = std::string(ExperimentName(job.plan.request.experiment)) + " in " + job.outDir.string() + ": "
                        + IntToStr(int64_t(job.plan.runCount)) + " runs of " + IntToStr(job.plan.steps)
                        + " steps, master seed " + std::to_string(job.plan.request.seed);
    if (job.shard)
        intro += ", shard " + std::to_string(job.shard->index) + "/" + std::to_string(job.shard->count) + " with "
                 + IntToStr(int64_t(scan.runs)) + " runs";
    const uint64_t workers = std::min<uint64_t>(job.jobs, scan.runs - complete);
    intro += "; " + IntToStr(int64_t(complete)) + " complete already, " + IntToStr(int64_t(workers))
             + (workers == 1 ? " worker" : " workers");
    std::cerr << "landuse-batch: " << intro << std::endl;

    BatchProgress progress(scan.runs, complete, isatty(STDERR_FILENO) != 0, stderr);
    const BatchOutcome outcome = RunBatch(job, scan, [] { return StopSignal() != 0; }, &progress);
    progress.clear();
    const uint64_t done = outcome.skipped + outcome.finished;
    const std::string tally = IntToStr(int64_t(done)) + " of " + IntToStr(int64_t(outcome.runs)) + " runs complete";
    if (!outcome.error.empty())
        return fail(ExitFailed, outcome.error + "\nlanduse-batch: " + tally);
    if (done < outcome.runs)
        return fail(128 + StopSignal(), std::string("stopped by ") + SignalName(StopSignal()) + ": " + tally
                                          + "; the same command goes on from there");
    std::string made = IntToStr(int64_t(outcome.finished)) + " made in " + ClockText(uint64_t(progress.elapsed()));
    if (outcome.finished > 0 && progress.elapsed() > 0)
        made += " (" + FixedText(double(outcome.finished) / progress.elapsed() * 60.0, 1) + " runs/min)";
    std::cerr << "landuse-batch: " << tally << "; " << made << "; table "
              << RunsTablePath(job.outDir, job.shard).string() << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    BatchOptions options;
    try {
        options = ParseBatchOptions(argc, argv);
    } catch (const std::exception& e) {
        return fail(ExitBad, std::string(e.what()) + " (landuse-batch --help tells more)");
    }
    if (options.help || options.version) {
        std::cout << (options.help ? HelpText(BatchProgram()) : VersionText(BatchProgram()));
        return 0;
    }
    try {
        if (options.merge)
            return merge(options.outDir);
        if (options.reportOnly)
            return report(options.outDir);
    } catch (const std::invalid_argument& e) {
        return fail(ExitBad, e.what());
    } catch (const std::exception& e) {
        return fail(ExitFailed, e.what());
    }
    BatchJob job;
    std::optional<FolderLock> lock;
    try {
        job = prepare(options, lock);
    } catch (const std::exception& e) {
        return fail(ExitBad, e.what());
    }
    // The first SIGINT or SIGTERM lets the workers finish their runs, a
    // second one ends the process at once.
    InstallStopHandlers({SIGINT, SIGTERM}, {.secondEndsAtOnce = true});
    try {
        const int status = run(job);
        if (status != 0 || !options.report)
            return status;
        return report(job.outDir);
    } catch (const std::exception& e) {
        return fail(ExitFailed, e.what());
    }
}
