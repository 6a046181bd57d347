#include "model/simulation.h"

#include "model/numtext.h"

#include <chrono>

namespace landuse {

uint32_t SystemTickCount()
{
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

Simulation::Simulation(SimHost* host, uint64_t seed)
    : Rng(seed), host_(host ? host : &nullHost_), clock_(SystemTickCount)
{
    Register.setListener([this](Ctl id, ControlEvent event) { onControlEvent(id, event); });
    Register.setErrorSink([this](const std::string& message) { report(message); });
    SetUpChart1(Chart1);
}

void Simulation::Create()
{
    Setup();
    ResetWeightTable(Register, WeightTable);
    ReadWeightTable(Register, WeightTable);
    // The rank-size window is created after the main window.
    RankSize.ResetRankSize();
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

void Simulation::DrawChangedCell(int x, int y)
{
    if (painter_)
        painter_->DrawCell(world, x, y, ShadeSource::Track, Register.checked(Ctl::cb_noDesti));
}

// The unit-level copies follow their controls; everything else is read live.
void Simulation::onControlEvent(Ctl id, ControlEvent event)
{
    switch (id) {
    case Ctl::E_stop:
        if (event == ControlEvent::Changed)
            StopStep = Register.readInt(Ctl::E_stop);
        break;
    case Ctl::rb_direct:
    case Ctl::rb_hillCl:
        if (Register.checked(Ctl::rb_direct))
            ReturnMode = 0;
        if (Register.checked(Ctl::rb_hillCl))
            ReturnMode = 1;
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
        if (TileSize != before && world.Cells.size() > 0)
            BuildTiles(world, TileSize);
        break;
    }
    case Ctl::StringGrid1:
        if (event == ControlEvent::KeyUp)
            ReadWeightTable(Register, WeightTable);
        break;
    case Ctl::B_reset:
        ResetWeightTable(Register, WeightTable);
        break;
    case Ctl::B_setup:
        NewSetup();
        break;
    case Ctl::B_oneStep:
        Step();
        break;
    default:
        break;
    }
}

} // namespace landuse
