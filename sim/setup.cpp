#include "sim/simulation.h"

#include "model/numtext.h"

namespace landuse {

void Simulation::Setup(bool keepRunCount)
{
    // Both texts are converted before anything changes: a failed setup
    // leaves no half-built world behind.
    const int32_t cellSize = Register.readInt(Ctl::Edit_size);
    const int32_t stopStep = Register.readInt(Ctl::E_stop);
    if (cellSize < 1)
        throw ConvertError(Quoted(Register.text(Ctl::Edit_size)) + " is no cell size: a cell is at least 1 pixel");

    world.Geometry = MakeGeometry(cellSize);
    StopStep = stopStep;
    Register.showAngleLabels();

    const GridGeometry& g = world.Geometry;
    world.Agents.clear();
    world.Cells.resize(g.CellCountX, g.CellCountY);
    world.Limbo.resize(g.CellCountX);
    readReturnMode();
    if (painter_)
        painter_->CreateLayers(world);
    CreateCells();
    StepCount = 0;
    PlaceDestinations();
    Stats = CreateStatisticsSeries(Chart1);
    TileSize = Register.position(Ctl::UpD_tileSz);
    Ana1Active = Register.checked(Ctl::CB_actAna1);
    Ana2Active = Register.checked(Ctl::CB_actAna2);
    if (!keepRunCount)
        Sweeps.RunCount = 0;
    BuildTiles(Tiles, g.CellCountY, TileSize);
    worldBuilt_ = true;
}

void Simulation::FreeWorld()
{
    worldBuilt_ = false;
    world.Cells.clear();
    world.Agents.clear();
    world.Agents.shrink_to_fit();
    if (painter_)
        painter_->FreeLayers();
    StepCount = 0;
    world.Limbo.clear();
    Tiles.clear();
    world.Geometry = {};
}

void Simulation::CreateCells()
{
    const GridGeometry& g = world.Geometry;
    for (int y = 0; y < g.CellCountY; ++y)
        for (int x = 0; x < g.CellCountX; ++x)
            world.Cells.look(x, y) = TCellLook(x * g.CellSize + g.HalfCell, y * g.CellSize + g.HalfCell, g.HalfCell, 0);
    ResetCells();
}

void Simulation::ResetCells()
{
    const bool allBlack = Register.checked(Ctl::Cb_allBlack);
    TCell* cell = world.Cells.data();
    TCellLook* look = world.Cells.looks();
    for (size_t i = 0; i < world.Cells.size(); ++i, ++cell, ++look) {
        look->Shade = 255;
        cell->LandUse = Empty;
        cell->TrackValue = 0;
        cell->ReturnTrackValue = 0;
        look->LastDrawnValue = 0;
        cell->AgentCount = 0;
        look->AllBlack = allBlack;
    }
    if (painter_) {
        painter_->FindShadeRange(world, Register);
        painter_->RepaintCells(world, Register);
    }
}

void Simulation::PlaceDestinations()
{
    const GridGeometry& g = world.Geometry;
    for (int i = 0; i < 10; ++i) {
        const int cx = Rng.Random(g.CellCountX);
        const int cy = Rng.Random(g.CellCountY);
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                int x = cx + dx;
                int y = cy + dy;
                WrapCoords(x, y, g.CellCountX, g.CellCountY);
                TCell& cell = world.Cells.at(x, y);
                cell.LandUse = Destination;
                cell.Potential[2] += 1.0;
                DrawChangedCell(x, y);
            }
        }
    }
}

} // namespace landuse
