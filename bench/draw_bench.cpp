#include "chart/world_raster.h"
#include "sim/simulation.h"

#include "running_world.h"

#include <benchmark/benchmark.h>

using namespace landuse;

// BM_Step800's worlds drawn into a raster, in the default view ("show no
// tracks" and "show only return tracks"): compare with BM_Step800 of the
// same run.
static void BM_Step800DefaultView(benchmark::State& state)
{
    WorldRaster raster;
    landuse::bench::stepFreshWorlds800(state, [&](Simulation& sim) { sim.setPainter(&raster); });
    benchmark::DoNotOptimize(raster.CellLayer().pixels.data());
}
BENCHMARK(BM_Step800DefaultView)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The same with every cell shaded by the population field and the agents
// drawn: the most a step draws.
static void BM_Step800PotentialViewAgents(benchmark::State& state)
{
    WorldRaster raster;
    landuse::bench::stepFreshWorlds800(state, [&](Simulation& sim) {
        sim.setPainter(&raster);
        sim.Register.setChecked(Ctl::CB_potField, true);
        sim.Register.setChecked(Ctl::CB_showAg, true);
    });
    benchmark::DoNotOptimize(raster.AgentLayer().pixels.data());
}
BENCHMARK(BM_Step800PotentialViewAgents)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
