// The window's steps per second next to the headless step's: 800 steps of
// one seeded world, once through the window's timer (its panel, labels,
// charts and the rank-size window drawn as a user sees them) and once as the
// runner steps it. Both run the kernels LANDUSE_KERNELS names. Run it under
// a display (xvfb-run) for the figures a user sees.

#include "render/world_raster.h"
#include "sim/simulation.h"
#include "ui/main_window.h"
#include "ui/rank_size_window.h"

#include "../running_world.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <optional>

using namespace landuse;

namespace {

constexpr int Steps = 800; // the default stop step, as stepFreshWorlds800 steps

void BM_WindowSteps800(benchmark::State& state)
{
    const std::optional<GridKernels> kernels = landuse::bench::kernelsFromEnvironment(state);
    if (!kernels)
        return;
    for (auto _ : state) {
        ui::TForm1 form(ui::WindowStart{1, {}, *kernels, {}});
        form.show();
        // Both windows on screen and drawn once (start shows the rank-size
        // window; here it is up before, as from an earlier run): their first
        // paint is not the steps' cost.
        form.rankSizeWindow()->show();
        if (!QTest::qWaitForWindowExposed(&form) || !QTest::qWaitForWindowExposed(form.rankSizeWindow())) {
            state.SkipWithError("the windows were never shown");
            return;
        }
        QTest::qWait(200);
        QElapsedTimer clock;
        timespec c0; clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c0);
        clock.start();
        form.findChild<QPushButton*>("B_stop")->click();
        while (form.timer().isActive())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(double(clock.nsecsElapsed()) * 1e-9);
        timespec c1; clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c1);
        state.counters["gui_cpu_ms"] = (c1.tv_sec - c0.tv_sec) * 1e3 + (c1.tv_nsec - c0.tv_nsec) * 1e-6;
        if (form.simulation().stepCount() != Steps)
            state.SkipWithError("the window stopped before the stop step");
        state.counters["steps_per_s"] = double(form.simulation().stepCount()) / (double(clock.nsecsElapsed()) * 1e-9);
    }
}
BENCHMARK(BM_WindowSteps800)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

// The same world stepped as landuse-run steps it: arg 0 without a painter,
// arg 1 drawn into a raster from the first setup on, as for --picture.
void BM_RunnerSteps800(benchmark::State& state)
{
    WorldRaster raster;
    landuse::bench::stepFreshWorlds800(state, [&](Simulation& sim) {
        if (state.range(0) == 1)
            sim.setPainter(&raster);
    });
}
// One iteration a run, so that each steps the window's world (seed 1).
BENCHMARK(BM_RunnerSteps800)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

} // namespace

int main(int argc, char** argv)
{
    // On a machine without a display the window draws offscreen; under a
    // display (or xvfb-run) it draws as the user sees it.
    if (!std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
