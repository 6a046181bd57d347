#include "model/fields.h"
#include "model/simulation.h"

#include <benchmark/benchmark.h>

using namespace landuse;

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
BENCHMARK_MAIN();
