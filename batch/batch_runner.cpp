#include "batch/batch_runner.h"

#include "batch/batch_run.h"

#include <malloc.h>
#include <sched.h>

#include <algorithm>
#include <utility>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace landuse {

namespace {

// Every run builds its world anew. Left to itself, the allocator gives a
// finished run's memory back to the system and the next run faults it in
// again, and the page faults of all threads of a process queue on one lock:
// two workers then made only 1.4 times the runs of one. Memory kept for the
// next run (at most a worker's peak) lets them scale as two processes do.
void keepFreedMemoryForTheNextRun()
{
    mallopt(M_MMAP_THRESHOLD, 32 << 20); // the largest glibc takes: big grids come from the heap
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
}

} // namespace

std::vector<uint64_t> ShardRuns(uint64_t runCount, const std::optional<Shard>& shard)
{
    const Shard s = shard.value_or(Shard{});
    std::vector<uint64_t> runs;
    for (uint64_t run = s.index; run < runCount; run += s.count)
        runs.push_back(run);
    return runs;
}

BatchScan ScanBatch(const BatchJob& job)
{
    BatchScan scan;
    const std::string header = RunsCsvHeader(job.plan);
    for (const uint64_t run : ShardRuns(job.plan.runCount, job.shard)) {
        ++scan.runs;
        if (std::optional<std::string> row = CompleteRunRow(job.outDir, run, header))
            scan.rows.emplace_back(run, std::move(*row));
        else
            scan.pending.push_back(run);
    }
    return scan;
}

BatchOutcome RunBatch(const BatchJob& job, const BatchScan& scan, const std::function<bool()>& stop,
                      BatchProgress* progress)
{
    BatchOutcome outcome;
    outcome.runs = scan.runs;
    outcome.skipped = scan.rows.size();
    const std::vector<uint64_t>& pending = scan.pending;

    // The table starts with what earlier starts completed, in run order.
    std::vector<std::pair<uint64_t, std::string>> rows = scan.rows;
    const auto tableRows = [&rows] {
        std::sort(rows.begin(), rows.end());
        std::vector<std::string> sorted;
        sorted.reserve(rows.size());
        for (const auto& r : rows)
            sorted.push_back(r.second);
        return sorted;
    };
    RunsTable table(RunsTablePath(job.outDir, job.shard), RunsCsvHeader(job.plan));
    table.replace(tableRows());

    keepFreedMemoryForTheNextRun();
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    std::mutex mutex;
    std::condition_variable changed;
    uint64_t finished = 0;
    size_t workersLeft = std::min<size_t>(std::max(1u, job.jobs), pending.size());

    const auto worker = [&] {
        for (;;) {
            if (failed || stop())
                break;
            const size_t i = next++;
            if (i >= pending.size())
                break;
            const uint64_t run = pending[i];
            try {
                const RunRecord record = ExecuteRun(job.plan, run, RunFolder(job.outDir, run), job.kernels);
                std::string row = RunsCsvRow(record);
                table.append(row);
                const std::lock_guard lock(mutex);
                rows.emplace_back(run, std::move(row));
                ++finished;
                if (progress)
                    progress->runFinished();
            } catch (const std::exception& e) {
                const std::lock_guard lock(mutex);
                if (!failed.exchange(true))
                    outcome.error = "run " + RunFolderName(run) + ": " + e.what();
            }
            changed.notify_all();
        }
        const std::lock_guard lock(mutex);
        --workersLeft;
        changed.notify_all();
    };

    std::vector<std::thread> threads;
    const size_t count = workersLeft;
    threads.reserve(count);
    for (size_t i = 0; i < count; ++i)
        threads.emplace_back(worker);
    {
        std::unique_lock lock(mutex);
        for (;;) {
            if (progress)
                progress->show();
            if (workersLeft == 0)
                break;
            changed.wait_for(lock, std::chrono::milliseconds(200));
        }
    }
    for (std::thread& t : threads)
        t.join();
    outcome.finished = finished;

    // Whole again: every complete run of the shard, in run order.
    if (outcome.error.empty() && outcome.skipped + outcome.finished == outcome.runs)
        table.replace(tableRows());
    return outcome;
}

unsigned AvailableProcessors()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return unsigned(CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

} // namespace landuse
