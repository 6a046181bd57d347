#include "model/fields.h"
#include "sim/simulation.h"

#include "running_world.h"

#include <benchmark/benchmark.h>

using namespace landuse;

using landuse::bench::chooseKernels;
using landuse::bench::kernelsFromEnvironment;
using landuse::bench::runTo300;

// Times the diffusion alone; the normalisation between keeps the fields in range.
static void timeDiffusion(benchmark::State& state, Simulation& sim)
{
    TRandom rng = sim.rng();
    for (auto _ : state) {
        DiffuseFields(sim.worldForTest(), sim.weightTable(), rng);
        benchmark::DoNotOptimize(sim.world().Cells.data());
        state.PauseTiming();
        NormalizeFields(sim.worldForTest());
        state.ResumeTiming();
    }
}

// One diffusion and normalisation on the default 202 by 202 grid.
static void BM_DiffuseAndNormalize(benchmark::State& state)
{
    Simulation sim(nullptr, 1);
    if (!kernelsFromEnvironment(state, sim))
        return;
    sim.Create();
    TRandom rng = sim.rng();
    for (auto _ : state) {
        DiffuseFields(sim.worldForTest(), sim.weightTable(), rng);
        NormalizeFields(sim.worldForTest());
        benchmark::DoNotOptimize(sim.world().Cells.data());
    }
}
BENCHMARK(BM_DiffuseAndNormalize)->Unit(benchmark::kMicrosecond);

static void BM_DiffuseOnly(benchmark::State& state)
{
    Simulation sim(nullptr, 1);
    if (!kernelsFromEnvironment(state, sim))
        return;
    sim.Create();
    timeDiffusion(state, sim);
}
BENCHMARK(BM_DiffuseOnly)->Unit(benchmark::kMicrosecond);

// The same two passes in a running world, timed apart, on each kernel choice.
static void BM_DiffuseRunning(benchmark::State& state)
{
    Simulation sim(nullptr, 1);
    if (!chooseKernels(state, sim))
        return;
    runTo300(sim);
    timeDiffusion(state, sim);
}
BENCHMARK(BM_DiffuseRunning)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

static void BM_NormalizeRunning(benchmark::State& state)
{
    Simulation sim(nullptr, 1);
    if (!chooseKernels(state, sim))
        return;
    runTo300(sim);
    for (auto _ : state) {
        NormalizeFields(sim.worldForTest());
        benchmark::DoNotOptimize(sim.world().Cells.data());
    }
}
BENCHMARK(BM_NormalizeRunning)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same with the survey of the empty cells that a painter asks for (the
// return marks, as the default view shows them): compare with
// BM_NormalizeRunning.
static void BM_NormalizeSurveyingRunning(benchmark::State& state)
{
    Simulation sim(nullptr, 1);
    if (!chooseKernels(state, sim))
        return;
    runTo300(sim);
    FieldSurvey fields;
    fields.clear();
    EmptyCellSurvey emptyCells;
    for (auto _ : state) {
        emptyCells.start(ReturnTrackWord, sim.world().Cells.size());
        NormalizeFields(sim.worldForTest(), FieldBoundsOf(sim.world(), fields), emptyCells);
        benchmark::DoNotOptimize(emptyCells.occupied().data());
    }
}
BENCHMARK(BM_NormalizeSurveyingRunning)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
