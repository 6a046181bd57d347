#include "agents/tracks.h"
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

void runTo300(Simulation& sim)
{
    sim.Create();
    for (int i = 0; i < 300; ++i)
        sim.Step();
}

} // namespace

// The end-of-step track rescale on the default grid 300 steps into a run.
static void BM_RescaleTracks(benchmark::State& state)
{
    if (!selectKernels(state))
        return;
    Simulation sim(nullptr, 1);
    runTo300(sim);
    for (auto _ : state) {
        RescaleTracks(sim.world);
        benchmark::DoNotOptimize(sim.world.Cells.data());
    }
    SelectGridKernels(GridKernels::Best);
}
BENCHMARK(BM_RescaleTracks)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The decay that replaces it when path decay is on; a factor of 1 keeps the
// marks from sinking into the subnormals over the iterations.
static void BM_DecayTracks(benchmark::State& state)
{
    Simulation sim(nullptr, 1);
    runTo300(sim);
    for (auto _ : state) {
        DecayTracks(sim.world, 1.0);
        benchmark::DoNotOptimize(sim.world.Cells.data());
    }
}
BENCHMARK(BM_DecayTracks)->Unit(benchmark::kMicrosecond);
