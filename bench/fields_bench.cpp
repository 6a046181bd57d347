#include "model/fields.h"
#include "model/simulation.h"

#include <benchmark/benchmark.h>

using namespace landuse;

namespace {

// Arg 0 runs the code for any x86-64, arg 1 the AVX-512 code.
bool selectKernels(benchmark::State& state)
{
    const GridKernels k = state.range(0) == 0 ? GridKernels::Portable : GridKernels::Avx512;
    if (!SelectGridKernels(k)) {
        state.SkipWithError("this processor has no AVX-512");
        return false;
    }
    return true;
}

// A world 300 steps into a run at the defaults: 900 agents, fields shaped by
// them, a few values without an exact fixed-point twin.
void runTo300(Simulation& sim)
{
    sim.Create();
    for (int i = 0; i < 300; ++i)
        sim.Step();
}

} // namespace

// One diffusion and normalisation on the default 202 by 202 grid.
static void BM_DiffuseAndNormalize(benchmark::State& state)
{
    Simulation sim(nullptr, 1);
    sim.Create();
    for (auto _ : state) {
        DiffuseFields(sim.world, sim.WeightTable, sim.Rng);
        NormalizeFields(sim.world);
        benchmark::DoNotOptimize(sim.world.Cells.data());
    }
}
BENCHMARK(BM_DiffuseAndNormalize)->Unit(benchmark::kMicrosecond);

static void BM_DiffuseOnly(benchmark::State& state)
{
    Simulation sim(nullptr, 1);
    sim.Create();
    for (auto _ : state) {
        DiffuseFields(sim.world, sim.WeightTable, sim.Rng);
        benchmark::DoNotOptimize(sim.world.Cells.data());
        state.PauseTiming();
        NormalizeFields(sim.world);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DiffuseOnly)->Unit(benchmark::kMicrosecond);

// The same two passes in a running world, timed apart, on each kernel choice.
static void BM_DiffuseRunning(benchmark::State& state)
{
    if (!selectKernels(state))
        return;
    Simulation sim(nullptr, 1);
    runTo300(sim);
    for (auto _ : state) {
        DiffuseFields(sim.world, sim.WeightTable, sim.Rng);
        benchmark::DoNotOptimize(sim.world.Cells.data());
        state.PauseTiming();
        NormalizeFields(sim.world);
        state.ResumeTiming();
    }
    SelectGridKernels(GridKernels::Best);
}
BENCHMARK(BM_DiffuseRunning)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

static void BM_NormalizeRunning(benchmark::State& state)
{
    if (!selectKernels(state))
        return;
    Simulation sim(nullptr, 1);
    runTo300(sim);
    for (auto _ : state) {
        NormalizeFields(sim.world);
        benchmark::DoNotOptimize(sim.world.Cells.data());
    }
    SelectGridKernels(GridKernels::Best);
}
BENCHMARK(BM_NormalizeRunning)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
