#include "batch/batch_runner.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

using namespace landuse;

// Analysis 2 with 200 steps per run, noise 0 to 23 (24 runs, so that two
// workers finish together), on 1 and 2 workers, every run with all its
// files. Reports runs per minute; the workers share nothing but the table,
// so 2 should make nearly twice as many.
static void BM_BatchAnalysis2(benchmark::State& state)
{
    BatchJob job;
    job.plan = PlanBatch({Experiment::Analysis2, {"E_toSteps2=200", "E_valTo2=23"}, 1, std::nullopt});
    job.jobs = unsigned(state.range(0));
    const std::filesystem::path top
        = std::filesystem::temp_directory_path() / ("landuse-batch-bench-" + std::to_string(getpid()));
    uint64_t runs = 0;
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(top);
        job.outDir = top;
        std::filesystem::create_directories(top / "runs");
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const BatchOutcome outcome = RunBatch(job, ScanBatch(job), [] { return false; });
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!outcome.error.empty()) {
            state.SkipWithError(outcome.error.c_str());
            break;
        }
        runs += outcome.finished;
    }
    std::filesystem::remove_all(top);
    state.counters["runs_per_min"] = seconds > 0 ? double(runs) * 60.0 / seconds : 0.0;
}
BENCHMARK(BM_BatchAnalysis2)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
