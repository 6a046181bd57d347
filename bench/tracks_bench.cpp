#include "agents/tracks.h"
#include "model/fields.h"
#include "sim/simulation.h"

#include "running_world.h"

#include <benchmark/benchmark.h>

using namespace landuse;

using landuse::bench::chooseKernels;
using landuse::bench::kernelsFromEnvironment;
using landuse::bench::runTo300;

// The end-of-step track rescale on the default grid 300 steps into a run.
static void BM_RescaleTracks(benchmark::State& state)
{
    Simulation sim(nullptr, 1);
    if (!chooseKernels(state, sim))
        return;
    runTo300(sim);
    for (auto _ : state) {
        RescaleTracks(sim.worldForTest());
        benchmark::DoNotOptimize(sim.world().Cells.data());
    }
}
BENCHMARK(BM_RescaleTracks)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The decay that replaces it when path decay is on; a factor of 1 keeps the
// marks from sinking into the subnormals over the iterations.
static void BM_DecayTracks(benchmark::State& state)
{
    Simulation sim(nullptr, 1);
    if (!kernelsFromEnvironment(state, sim))
        return;
    runTo300(sim);
    for (auto _ : state) {
        DecayTracks(sim.worldForTest(), 1.0);
        benchmark::DoNotOptimize(sim.world().Cells.data());
    }
}
BENCHMARK(BM_DecayTracks)->Unit(benchmark::kMicrosecond);
