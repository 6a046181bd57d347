#pragma once
// One simulation: the register of controls, the weight table, the random
// generator, the world and the run variables, with the commands that the
// window (or a headless runner) calls. Several simulations can live side by
// side in one process, each on its own thread; nothing here is global.

#include "agents/world.h"
#include "analysis/export_series.h"
#include "analysis/ranksize.h"
#include "analysis/run_chart.h"
#include "analysis/tile.h"
#include "chart/chart.h"
#include "render/world_painter.h"
#include "model/random.h"
#include "model/register.h"
#include "model/weighttable.h"
#include "sim/display_controls.h"
#include "sim/host.h"
#include "sim/step_workspace.h"
#include "sim/sweeps.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace landuse {

// Milliseconds since some fixed start, wrapping at 32 bits.
using TickClock = std::function<uint32_t()>;
uint32_t SystemTickCount();

enum class MouseButton { Left, Right, Other };

class Simulation {
public:
    explicit Simulation(SimHost* host = nullptr, uint64_t seed = TRandom::clockSeed());
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    // Window creation: the first world, then the weight table.
    void Create();

    // The buttons, run when the window asks.
    // "new Setup": checks the texts setup needs before the old world is
    // freed, so a bad text leaves the old world intact. False then.
    bool NewSetup();
    void StartStop();   // "start / stop"
    void OneStep();     // "one step"
    void ResetValues(); // "reset values"
    void RepaintAll();  // "repaint all"
    void ShowRankSize(); // "rank size "
    void SaveBmp();     // "save bmp": pictures, then what was written or what failed
    void SaveXls();     // "save xls": chart data, the same way

    // The pictures of both windows' client areas (from the host) as stem +
    // "1" and stem + "2" in the pictures folder, by way of a BMP that is gone
    // afterwards; the stem is read from E_pName for each file. Throws
    // ExportError naming the file that failed; files before it stay.
    std::vector<std::filesystem::path> SavePictures();
    // The series of C_RankSize, C_Linear and Chart1 as stem + "3.xls" (a
    // worksheet), "4.xls" and "5.xls" (XML) in the data folder, the same way.
    std::vector<WrittenFile> SaveSeriesData();

    // The sweeps: started by "start / stop", checked at the end of a step.
    // A batch runner starts each of its runs the same way, alone in a fresh
    // simulation: analysis 1 draws its weights, analysis 2 takes the noise
    // value of the run, and both build the run's world.
    void StartAnalysis1();
    void StartAnalysis2();
    void StartAnalysis2At(double noise);
    // The stem of an analysis-2 run's files, written into E_pName at its end.
    void NameRunAnalysis2();

    // The mouse on the drawing panel, in pixels of the panel. A move paints
    // while a button is down; positions off the grid paint nothing.
    void MouseDown(MouseButton button, bool ctrl);
    void MouseMove(int x, int y);
    void MouseUp();
    void PaintAt(int x, int y);

    // Builds a world. Both texts it reads are converted before anything
    // changes, so a bad one leaves the world as it was (freed, after
    // FreeWorld) and throws ConvertError.
    void Setup(bool keepRunCount = false);
    void FreeWorld();
    // Whether a setup has built the world that FreeWorld has not freed yet.
    bool HasWorld() const { return worldBuilt_; }
    // One time step. A failure ends it where it happened, with a message;
    // without a world it does nothing, says why and stops the timer.
    void Step();

    SimHost& host() { return *host_; }
    void setPainter(WorldPainter* painter);
    WorldPainter* painter() const { return painter_; }
    void setClock(TickClock clock) { clock_ = std::move(clock); }
    // Which machine code the world's whole-grid passes run; every world
    // built afterwards keeps it.
    void setKernels(GridKernels kernels) { world_.Kernels = kernels; }

    // The controls: windows bind to them, runners and scripts set them.
    ParamRegister& controls() { return Register; }
    const ParamRegister& controls() const { return Register; }

    // What the model works on, to read.
    const World& world() const { return world_; }
    const GridGeometry& geometry() const { return world_.Geometry; }
    const TWeightTable& weightTable() const { return WeightTable; }
    const TRandom& rng() const { return rng_; }
    const std::vector<TTile>& tiles() const { return Tiles; }

    // The main window's time-series chart, and the rank-size window: views
    // observe them and zoom them.
    Chart& chart1() { return Chart1; }
    const Chart& chart1() const { return Chart1; }
    const StatisticsSeries& stats() const { return stats_; }
    RankSizeWindow& rankSize() { return RankSize; }
    const RankSizeWindow& rankSize() const { return RankSize; }

    // The run variables.
    int32_t stepCount() const { return StepCount; }
    int32_t stopStep() const { return StopStep; }
    int32_t returnMode() const { return ReturnMode; } // 0 direct way, 1 use existing tracks
    int32_t tileSize() const { return TileSize; }
    bool analysis1Active() const { return Ana1Active; }
    bool analysis2Active() const { return Ana2Active; }
    const SweepState& sweeps() const { return sweeps_; }
    int32_t rankSizeCounter() const { return RankSizeCounter; }
    uint32_t lastTick() const { return LastTick; }

    // Moves the world's cells out to the caller and goes on with a copy, so
    // that views into the moved cells stay valid (the Python module's lease).
    TCellList releaseCells();

    // For tests and benchmarks only, which plant cells and agents in the
    // world a setup built, run the model's phases or a painter on it
    // themselves, or put back a world and generator saved earlier. Everything
    // else changes the world through the commands above.
    World& worldForTest() { return world_; }
    void restoreForTest(const World& world, const TRandom& rng);

    // Draws a cell the model has just changed, when there is a painter.
    void DrawChangedCell(int x, int y);
    void UpdateFrameRate();

private:
    // The state a window shows and the model works on.
    ParamRegister Register;
    TWeightTable WeightTable;
    TRandom rng_;
    World world_;
    std::vector<TTile> Tiles; // the rank-size tiles of this world

    Chart Chart1;
    StatisticsSeries stats_;
    RankSizeWindow RankSize;

    // Run variables, refreshed at setup and by their controls' events.
    int32_t StepCount = 0;
    int32_t StopStep = 0;
    int32_t ReturnMode = 0;
    int32_t TileSize = 0; // edge of a rank-size tile, cells
    bool Ana1Active = false;
    bool Ana2Active = false;
    SweepState sweeps_;

    // Counters that live as long as the program, not the world.
    int32_t RankSizeCounter = 0;
    int32_t FrameCount = 0;
    uint32_t LastTick = 0;

    // The mouse on the drawing panel.
    bool RightDown = false;
    bool LeftDown = false;
    bool CtrlDown = false;

    void onControlEvent(Ctl id, ControlEvent event);
    void report(const std::string& message) { host_->showMessage(message); }
    // Runs a command; a conversion error ends it with its message.
    void guarded(const std::function<void()>& command);
    void stepPhases();
    // ReturnMode from its radio buttons; kept when none is selected.
    void readReturnMode();
    // The display options from their controls, handed to the painter when
    // they changed since it was last given them.
    const DisplayOptions& showDisplayOptions();

    void CreateCells();
    void ResetCells();
    void PlaceDestinations();

    void NewRunAnalysis1();
    void NewRunAnalysis2(double noise);
    void CheckAnalysis1();
    void CheckAnalysis2();
    // A sweep's new world; a restart that fails stops the timer, so the run
    // ends instead of stepping a world that is not there.
    void restartWorld(bool keepRunCount);
    // NoiseRow from the radio buttons; kept when none is selected.
    void chooseNoiseRow();
    void showProgress1();
    void showProgress2();
    void sweepEnded(int analysis, uint32_t runs);

    SimHost nullHost_;
    SimHost* host_;
    WorldPainter* painter_ = nullptr;
    TickClock clock_;
    CellChanged cellChanged_;
    StepWorkspace workspace_;
    // The display options the painter was given last.
    DisplayOptions shown_;
    bool worldBuilt_ = false;
};

} // namespace landuse
