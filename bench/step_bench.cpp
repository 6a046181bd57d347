#include "sim/simulation.h"

#include <benchmark/benchmark.h>

using namespace landuse;

// Steps 1 to 800 of a fresh world at the defaults, no drawing: the agent
// count grows to 2400 on the way. Reports the mean rate over the run.
static void BM_Step800(benchmark::State& state)
{
    uint64_t seed = 1;
    for (auto _ : state) {
        state.PauseTiming();
        Simulation sim(nullptr, seed++);
        sim.Create();
        state.ResumeTiming();
        for (int i = 0; i < 800; ++i)
            sim.Step();
        benchmark::DoNotOptimize(sim.world.Agents.data());
    }
    state.counters["steps_per_s"] = benchmark::Counter(800.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Step800)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
