#pragma once
// Worlds for the benchmarks of the whole-grid passes.

#include "model/fields.h"
#include "sim/simulation.h"

#include <benchmark/benchmark.h>

namespace landuse::bench {

// Arg 0 runs the code for any x86-64, arg 1 the AVX-512 code.
inline bool chooseKernels(benchmark::State& state, Simulation& sim)
{
    const GridKernels k = state.range(0) == 0 ? GridKernels::Portable : GridKernels::Avx512;
    if (!GridKernelsAvailable(k)) {
        state.SkipWithError("this processor has no AVX-512");
        return false;
    }
    sim.world.Kernels = k;
    return true;
}

// A world 300 steps into a run at the defaults: 900 agents, fields shaped by
// them, a few values without an exact fixed-point twin.
inline void runTo300(Simulation& sim)
{
    sim.Create();
    for (int i = 0; i < 300; ++i)
        sim.Step();
}

} // namespace landuse::bench
