#include "sim/simulation.h"

#include "running_world.h"

#include <benchmark/benchmark.h>

using namespace landuse;

using landuse::bench::kernelsFromEnvironment;

// Steps 1 to 800 of a fresh world at the defaults, no drawing: the agent
// count grows to 2400 on the way. Reports the mean rate over the run.
static void BM_Step800(benchmark::State& state)
{
    landuse::bench::stepFreshWorlds800(state, [](Simulation&) {});
}
BENCHMARK(BM_Step800)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Step 101 with 5000 new service cells instead of one, always from the same
// world: the growth phase picks thousands of cells in one step.
static void BM_StepManyServices(benchmark::State& state)
{
    Simulation sim(nullptr, 1);
    if (!kernelsFromEnvironment(state, sim))
        return;
    sim.Create();
    for (int i = 0; i < 100; ++i)
        sim.Step();
    sim.controls().setText(Ctl::E_crServ, "5000");
    const World start = sim.world();
    const TRandom rng = sim.rng();
    for (auto _ : state) {
        sim.Step();
        benchmark::DoNotOptimize(sim.world().Cells.data());
        state.PauseTiming();
        sim.restoreForTest(start, rng);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StepManyServices)->Unit(benchmark::kMillisecond);
