#pragma once
// One simulation: the register of controls, the weight table, the random
// generator, the world and the run variables, with the operations that the
// window (or the headless runner) calls. Several simulations can live side by
// side in one process; nothing here is global.

#include "analysis/ranksize.h"
#include "analysis/run_chart.h"
#include "chart/chart.h"
#include "model/host.h"
#include "model/painter.h"
#include "model/random.h"
#include "model/register.h"
#include "model/weighttable.h"
#include "model/world.h"

#include <cstdint>
#include <functional>

namespace landuse {

// Milliseconds since some fixed start, wrapping at 32 bits.
using TickClock = std::function<uint32_t()>;
uint32_t SystemTickCount();

class Simulation {
public:
    explicit Simulation(SimHost* host = nullptr, uint64_t seed = TRandom::ClockSeed());
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    // Window creation: the first world, then the weight table.
    void Create();
    // "new Setup": checks the texts setup needs before the old world is freed,
    // so a bad text leaves the old world intact. Returns false then.
    bool NewSetup();
    void Setup(bool keepRunCount = false);
    void FreeWorld();
    // One time step; a failed conversion ends it where it happened.
    void Step();

    void setHost(SimHost* host) { host_ = host ? host : &nullHost_; }
    SimHost& host() { return *host_; }
    void setPainter(WorldPainter* painter) { painter_ = painter; }
    WorldPainter* painter() const { return painter_; }
    void setClock(TickClock clock) { clock_ = std::move(clock); }

    // The state a window shows and the model works on.
    ParamRegister Register;
    TWeightTable WeightTable;
    TRandom Rng;
    World world;

    // The main window's time-series chart, and the rank-size window.
    Chart Chart1;
    StatisticsSeries Stats;
    RankSizeWindow RankSize;

    // Run variables, refreshed at setup and by their controls' events.
    int32_t StepCount = 0;
    int32_t StopStep = 0;
    int32_t ReturnMode = 0;   // 0 direct way, 1 use existing tracks
    int32_t TileSize = 0;     // edge of a rank-size tile, cells
    bool Ana1Active = false;
    bool Ana2Active = false;
    uint32_t RunCount = 0;

    // Counters that live as long as the program, not the world.
    int32_t RankSizeCounter = 0;
    int32_t FrameCount = 0;
    uint32_t LastTick = 0;

    const GridGeometry& geometry() const { return world.Geometry; }
    // Draws a cell the model has just changed, when there is a painter.
    void DrawChangedCell(int x, int y);
    void UpdateFrameRate();

private:
    void onControlEvent(Ctl id, ControlEvent event);
    void report(const std::string& message) { host_->showMessage(message); }

    // The sweeps' checks at the end of a step.
    void CreateCells();
    void ResetCells();
    void PlaceDestinations();
    void CheckAnalysis1();
    void CheckAnalysis2();

    SimHost nullHost_;
    SimHost* host_;
    WorldPainter* painter_ = nullptr;
    TickClock clock_;
};

} // namespace landuse
