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

double threadCpuMs()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
}

struct WindowRun {
    double seconds = 0;
    double guiCpuMs = 0; // the GUI thread's processor time over the run
};

// One run of the window from its start to the stop step, or nothing (with
// the benchmark skipped) when the window never showed or stopped early.
std::optional<WindowRun> runWindow(benchmark::State& state, GridKernels kernels)
{
    ui::TForm1 form(ui::WindowStart{1, {}, kernels, {}});
    form.show();
    // Both windows on screen and drawn once (start shows the rank-size
    // window; here it is up before, as from an earlier run): their first
    // paint is not the steps' cost.
    form.rankSizeWindow()->show();
    if (!QTest::qWaitForWindowExposed(&form) || !QTest::qWaitForWindowExposed(form.rankSizeWindow())) {
        state.SkipWithError("the windows were never shown");
        return std::nullopt;
    }
    QTest::qWait(200);
    QElapsedTimer clock;
    const double cpu0 = threadCpuMs();
    clock.start();
    form.findChild<QPushButton*>("B_stop")->click();
    while (form.timer().isActive())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const WindowRun run{double(clock.nsecsElapsed()) * 1e-9, threadCpuMs() - cpu0};
    if (form.simulation().stepCount() != Steps) {
        state.SkipWithError("the window stopped before the stop step");
        return std::nullopt;
    }
    return run;
}

// The window's world stepped as landuse-run steps it, without a painter.
double runHeadless(GridKernels kernels)
{
    Simulation sim(nullptr, 1);
    sim.setKernels(kernels);
    sim.Create();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < Steps; ++i)
        sim.Step();
    benchmark::DoNotOptimize(sim.world().Agents.data());
    return double(clock.nsecsElapsed()) * 1e-9;
}

void BM_WindowSteps800(benchmark::State& state)
{
    const std::optional<GridKernels> kernels = landuse::bench::kernelsFromEnvironment(state);
    if (!kernels)
        return;
    for (auto _ : state) {
        const std::optional<WindowRun> run = runWindow(state, *kernels);
        if (!run)
            return;
        state.SetIterationTime(run->seconds);
        state.counters["gui_cpu_ms"] = run->guiCpuMs;
        state.counters["steps_per_s"] = Steps / run->seconds;
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

// The window's steps per second as a share of the runner's, from a window
// run and a runner run back to back: the machine's speed drifts (other
// machines' load on shared hardware), and a pair taken together sees the
// same drift. The time shown is the window's.
void BM_WindowShareOfRunner(benchmark::State& state)
{
    const std::optional<GridKernels> kernels = landuse::bench::kernelsFromEnvironment(state);
    if (!kernels)
        return;
    // Each repetition is a call of its own: the order alternates across them.
    static bool windowFirst = true;
    for (auto _ : state) {
        double runner = windowFirst ? 0 : runHeadless(*kernels);
        const std::optional<WindowRun> run = runWindow(state, *kernels);
        if (!run)
            return;
        if (windowFirst)
            runner = runHeadless(*kernels);
        windowFirst = !windowFirst;
        state.SetIterationTime(run->seconds);
        state.counters["runner_ms"] = runner * 1e3;
        state.counters["share_pct"] = 100 * runner / run->seconds;
    }
}
BENCHMARK(BM_WindowShareOfRunner)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(7);

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
