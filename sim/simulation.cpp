#include "sim/simulation.h"

#include "model/numtext.h"
#include "model/weighttable.h"

#include <chrono>

namespace landuse {

uint32_t SystemTickCount()
{
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

Simulation::Simulation(SimHost* host, uint64_t seed)
    : rng_(seed), host_(host ? host : &nullHost_), clock_(SystemTickCount),
      cellChanged_([this](int32_t x, int32_t y) { DrawChangedCell(x, y); })
{
    Register.addEventListener([this](Ctl id, ControlEvent event) { onControlEvent(id, event); });
    Register.setErrorSink([this](const std::string& message) { report(message); });
    SetUpChart1(Chart1);
}

void Simulation::Create()
{
    guarded([this] {
        Setup();
        ResetWeightTable(Register, WeightTable);
        ReadWeightTable(Register, WeightTable);
    });
    // The rank-size window is created after the main window.
    RankSize.ResetRankSize();
}

void Simulation::guarded(const std::function<void()>& command)
{
    try {
        command();
    } catch (const ConvertError& e) {
        report(e.what());
    }
}

bool Simulation::NewSetup()
{
    try {
        (void)Register.readInt(Ctl::Edit_size);
        (void)Register.readInt(Ctl::E_stop);
    } catch (const ConvertError& e) {
        report(e.what());
        return false;
    }
    FreeWorld();
    Setup();
    RankSize.ResetRankSize();
    return true;
}

void Simulation::StartStop()
{
    host_->showRankSizeWindow();
    bool started = true;
    try {
        if (Ana1Active)
            StartAnalysis1();
        if (Ana2Active)
            StartAnalysis2();
    } catch (const ConvertError& e) {
        // The press ends at the failed read; the timer stays as it was.
        report(e.what());
        started = false;
    }
    if (!started)
        return;
    host_->setTimer(!host_->timerRunning());
    if (host_->timerRunning())
        host_->showPage(1);
}

void Simulation::OneStep() { Step(); }

void Simulation::setPainter(WorldPainter* painter)
{
    painter_ = painter;
    shown_ = DisplayOptionsOf(Register);
    if (painter_)
        painter_->setDisplayOptions(shown_);
}

const DisplayOptions& Simulation::showDisplayOptions()
{
    const DisplayOptions now = DisplayOptionsOf(Register);
    if (now != shown_) {
        shown_ = now;
        if (painter_)
            painter_->setDisplayOptions(shown_);
    }
    return shown_;
}

TCellList Simulation::releaseCells()
{
    TCellList cells = std::move(world_.Cells);
    world_.Cells = cells;
    return cells;
}

void Simulation::restoreForTest(const World& world, const TRandom& rng)
{
    world_ = world;
    rng_ = rng;
}

void Simulation::ResetValues()
{
    guarded([this] { ResetWeightTable(Register, WeightTable); });
}

void Simulation::RepaintAll()
{
    if (!painter_ || !worldBuilt_)
        return;
    const DisplayOptions& view = showDisplayOptions();
    painter_->FindShadeRange(world_);
    painter_->ClearAgentLayer();
    if (Register.checked(Ctl::CB_showAg))
        painter_->DrawAgents(world_);
    if (view.noTracks)
        painter_->RepaintCells(world_);
    else
        painter_->RedrawAllCells(world_);
}

void Simulation::ShowRankSize() { host_->showRankSizeWindow(); }

void Simulation::DrawChangedCell(int x, int y)
{
    if (painter_)
        painter_->DrawCell(world_, x, y, ShadeSource::Track, Register.checked(Ctl::cb_noDesti));
}

void Simulation::readReturnMode()
{
    if (Register.checked(Ctl::rb_direct))
        ReturnMode = 0;
    if (Register.checked(Ctl::rb_hillCl))
        ReturnMode = 1;
}

// The handlers of the controls: the unit-level copies follow their
// controls, and a few display options redraw at once. Everything else is
// read when the model needs it.
void Simulation::onControlEvent(Ctl id, ControlEvent event)
{
    switch (id) {
    case Ctl::E_stop:
        if (event == ControlEvent::Changed)
            StopStep = Register.readInt(Ctl::E_stop);
        break;
    case Ctl::rb_direct:
    case Ctl::rb_hillCl:
        readReturnMode();
        break;
    case Ctl::CB_actAna1:
        Ana1Active = Register.checked(Ctl::CB_actAna1);
        break;
    case Ctl::CB_actAna2:
        Ana2Active = Register.checked(Ctl::CB_actAna2);
        break;
    case Ctl::E_tileSz:
    case Ctl::E_tileSz2:
    case Ctl::UpD_tileSz:
    case Ctl::UpD_tileSz2: {
        const int32_t before = TileSize;
        TileSize = Register.position(Ctl::UpD_tileSz);
        // The tile list follows at once, so a measure never asks for tiles
        // that do not exist; the rank history starts again.
        if (TileSize != before && worldBuilt_)
            BuildTiles(Tiles, world_.Geometry.CellCountY, TileSize);
        break;
    }
    case Ctl::StringGrid1:
        if (event == ControlEvent::KeyUp)
            ReadWeightTable(Register, WeightTable);
        break;
    case Ctl::Cb_allBlack: {
        // Each cell shows the new setting the next time it is drawn.
        const bool on = Register.checked(Ctl::Cb_allBlack);
        TCellLook* look = world_.Cells.looks();
        for (size_t i = 0; i < world_.Cells.size(); ++i)
            look[i].AllBlack = on;
        break;
    }
    case Ctl::CB_showAB:
    case Ctl::CB_showOrig:
    case Ctl::cb_noDesti:
    case Ctl::CB_potField:
        showDisplayOptions();
        if (painter_ && worldBuilt_) {
            painter_->FindShadeRange(world_);
            painter_->RedrawAllCells(world_);
        }
        break;
    case Ctl::CB_noTracks:
        showDisplayOptions();
        if (painter_ && worldBuilt_)
            painter_->RedrawAllCells(world_);
        break;
    case Ctl::CB_FieldNr:
        // Shown at the next step or redraw.
        showDisplayOptions();
        break;
    default:
        break;
    }
}

} // namespace landuse
