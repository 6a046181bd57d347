#include "model/diffusion.h"
#include "model/grid_kernels.h"
#include "sim/simulation.h"

#include "running_world.h"

#include <benchmark/benchmark.h>

#include <utility>
#include <vector>

using namespace landuse;

// The update pass of the diffusion alone, on the sums of a world 300 steps
// into a run: arg 0 the formula only (x87), 1 the portable kernels (AVX2
// where the processor has it), 2 the AVX-512 kernels.
static void BM_UpdateRows(benchmark::State& state)
{
    const GridKernelTable* kernels = nullptr;
    switch (state.range(0)) {
    case 0: kernels = &PlainGridKernels(); break;
    case 1:
        if (!CpuHasAvx2()) {
            state.SkipWithError("this processor has no AVX2");
            return;
        }
        kernels = &PortableGridKernels();
        break;
    default: kernels = Avx512GridKernels(); break;
    }
    if (!kernels) {
        state.SkipWithError("this processor has no AVX-512");
        return;
    }
    Simulation sim(nullptr, 1);
    landuse::bench::runTo300(sim);
    World& w = sim.worldForTest();
    TRandom rng = sim.rng();
    const int countX = w.Geometry.CellCountX;
    const int countY = w.Geometry.CellCountY;
    TLimbo& limbo = w.Limbo;

    // Every row's sums, from the rows as the step would load them.
    std::vector<TLimboRow::Lines<int64_t>> sums(static_cast<size_t>(countY));
    std::vector<TLimboRow::Lines<int64_t>> withCentre(static_cast<size_t>(countY));
    for (int y = 0; y < countY; ++y) {
        kernels->loadRow(limbo.rows[0], w.Cells.row((y + countY - 1) % countY), countX);
        kernels->loadRow(limbo.rows[1], w.Cells.row(y), countX);
        kernels->loadRow(limbo.rows[2], w.Cells.row((y + 1) % countY), countX);
        kernels->rowSums(limbo.rows[0], limbo.rows[1], limbo.rows[2], countX, limbo.sums.data(),
                         limbo.withCentre.data());
        sums[size_t(y)] = limbo.sums;
        withCentre[size_t(y)] = limbo.withCentre;
    }
    for (auto _ : state) {
        for (int y = 0; y < countY; ++y) {
            std::swap(limbo.sums, sums[size_t(y)]);
            std::swap(limbo.withCentre, withCentre[size_t(y)]);
            UpdateFieldRow(*kernels, sim.weightTable(), w.Cells.row(y), countX, limbo, rng);
            std::swap(limbo.sums, sums[size_t(y)]);
            std::swap(limbo.withCentre, withCentre[size_t(y)]);
        }
        benchmark::DoNotOptimize(w.Cells.data());
    }
    state.counters["cells_per_us"] = benchmark::Counter(double(countX) * double(countY) * 1e-6,
                                                        benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_UpdateRows)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
