#include "render/world_raster.h"
#include "model/fields.h"
#include "sim/simulation.h"

#include "running_world.h"

#include <benchmark/benchmark.h>

#include <chrono>

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
        sim.controls().setChecked(Ctl::CB_potField, true);
        sim.controls().setChecked(Ctl::CB_showAg, true);
    });
    benchmark::DoNotOptimize(raster.AgentLayer().pixels.data());
}
BENCHMARK(BM_Step800PotentialViewAgents)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The painter's part of one step 300 steps into a drawn run, timed alone,
// after the field rescale that surveys the empty cells for it as in the step
// (so the cache holds what the step leaves in it): arg 0 the default view,
// arg 1 the same with the agents, arg 2 the potential view with the agents.
static void BM_DrawStep300(benchmark::State& state)
{
    WorldRaster raster;
    Simulation sim(nullptr, 1);
    if (!landuse::bench::kernelsFromEnvironment(state, sim))
        return;
    sim.setPainter(&raster);
    sim.controls().setChecked(Ctl::CB_potField, state.range(0) == 2);
    sim.controls().setChecked(Ctl::CB_showAg, state.range(0) >= 1);
    landuse::bench::runTo300(sim);
    FieldSurvey fields;
    fields.clear();
    EmptyCellSurvey emptyCells;
    for (auto _ : state) {
        emptyCells.start(raster.displayOptions().shadeWord(), sim.world().Cells.size());
        NormalizeFields(sim.worldForTest(), FieldBoundsOf(sim.world(), fields), emptyCells);
        const auto start = std::chrono::steady_clock::now();
        raster.FindShadeRange(sim.worldForTest(), emptyCells);
        raster.ClearAgentLayer();
        raster.RepaintCells(sim.worldForTest());
        if (sim.controls().checked(Ctl::CB_showAg))
            raster.DrawAgents(sim.world());
        const auto end = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(raster.CellLayer().pixels.data());
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    state.counters["land_use_cells"] = double(emptyCells.occupied().size());
    state.counters["agents"] = double(sim.world().Agents.size());
}
BENCHMARK(BM_DrawStep300)->Arg(0)->Arg(1)->Arg(2)->UseManualTime()->Unit(benchmark::kMicrosecond);
