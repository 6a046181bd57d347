#pragma once
// Worlds for the benchmarks of the whole-grid passes, and the kernel choice
// they run.

#include "model/fields.h"
#include "sim/simulation.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace landuse::bench {

// Arg 0 runs the code for any x86-64, arg 1 the AVX-512 code.
inline bool chooseKernels(benchmark::State& state, Simulation& sim)
{
    const GridKernels k = state.range(0) == 0 ? GridKernels::Portable : GridKernels::Avx512;
    if (!GridKernelsAvailable(k)) {
        state.SkipWithError("this processor has no AVX-512");
        return false;
    }
    sim.setKernels(k);
    return true;
}

// Benchmarks without a kernel argument run the choice named by
// LANDUSE_KERNELS (best, portable or avx512; best when unset). Nothing, with
// the benchmark skipped, when the name is none of these or this processor
// cannot run the choice.
inline std::optional<GridKernels> kernelsFromEnvironment(benchmark::State& state)
{
    const char* name = std::getenv("LANDUSE_KERNELS");
    const std::optional<GridKernels> k = name && *name ? ParseGridKernels(name) : GridKernels::Best;
    if (!k) {
        state.SkipWithError(("LANDUSE_KERNELS=" + std::string(name) + ": not best, portable or avx512").c_str());
        return std::nullopt;
    }
    if (!GridKernelsAvailable(*k)) {
        state.SkipWithError("LANDUSE_KERNELS=avx512: this processor has no AVX-512");
        return std::nullopt;
    }
    return k;
}

inline bool kernelsFromEnvironment(benchmark::State& state, Simulation& sim)
{
    const std::optional<GridKernels> k = kernelsFromEnvironment(state);
    if (k)
        sim.setKernels(*k);
    return k.has_value();
}

// Steps 1 to 800 of fresh worlds at the defaults, seeds 1, 2, ... in turn,
// so that every benchmark built on it steps the same worlds. prepare(sim)
// runs on each new simulation before its first setup, untimed.
template <typename Prepare>
void stepFreshWorlds800(benchmark::State& state, Prepare prepare)
{
    const std::optional<GridKernels> kernels = kernelsFromEnvironment(state);
    if (!kernels)
        return;
    uint64_t seed = 1;
    for (auto _ : state) {
        state.PauseTiming();
        Simulation sim(nullptr, seed++);
        sim.setKernels(*kernels);
        prepare(sim);
        sim.Create();
        state.ResumeTiming();
        for (int i = 0; i < 800; ++i)
            sim.Step();
        benchmark::DoNotOptimize(sim.world().Agents.data());
    }
    state.counters["steps_per_s"] = benchmark::Counter(800.0, benchmark::Counter::kIsIterationInvariantRate);
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
