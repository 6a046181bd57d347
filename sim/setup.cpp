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

    world_.Geometry = MakeGeometry(cellSize);
    StopStep = stopStep;
    Register.showAngleLabels();

    const GridGeometry& g = world_.Geometry;
    world_.Agents.clear();
    world_.Cells.resize(g.CellCountX, g.CellCountY);
    world_.Limbo.resize(g.CellCountX);
    readReturnMode();
    if (painter_)
        painter_->CreateLayers(world_);
    CreateCells();
    StepCount = 0;
    PlaceDestinations();
    stats_ = CreateStatisticsSeries(Chart1);
    TileSize = Register.position(Ctl::UpD_tileSz);
    Ana1Active = Register.checked(Ctl::CB_actAna1);
    Ana2Active = Register.checked(Ctl::CB_actAna2);
    if (!keepRunCount)
        sweeps_.RunCount = 0;
    BuildTiles(Tiles, g.CellCountY, TileSize);
    worldBuilt_ = true;
}

void Simulation::FreeWorld()
{
    worldBuilt_ = false;
    world_.Cells.clear();
    world_.Agents.clear();
    world_.Agents.shrink_to_fit();
    if (painter_)
        painter_->FreeLayers();
    StepCount = 0;
    world_.Limbo.clear();
    Tiles.clear();
    world_.Geometry = {};
}

void Simulation::CreateCells()
{
    const GridGeometry& g = world_.Geometry;
    for (int y = 0; y < g.CellCountY; ++y)
        for (int x = 0; x < g.CellCountX; ++x)
            world_.Cells.look(x, y)
                = TCellLook(x * g.CellSize + g.HalfCell, y * g.CellSize + g.HalfCell, g.HalfCell, 0);
    ResetCells();
}

void Simulation::ResetCells()
{
    const bool allBlack = Register.checked(Ctl::Cb_allBlack);
    TCell* cell = world_.Cells.data();
    TCellLook* look = world_.Cells.looks();
    for (size_t i = 0; i < world_.Cells.size(); ++i, ++cell, ++look) {
        look->Shade = 255;
        cell->LandUse = Empty;
        cell->TrackValue = 0;
        cell->ReturnTrackValue = 0;
        look->LastDrawnValue = 0;
        cell->AgentCount = 0;
        look->AllBlack = allBlack;
    }
    if (painter_) {
        showDisplayOptions();
        painter_->FindShadeRange(world_);
        painter_->RepaintCells(world_);
    }
}

void Simulation::PlaceDestinations()
{
    const GridGeometry& g = world_.Geometry;
    for (int i = 0; i < 10; ++i) {
        const int cx = rng_.Random(g.CellCountX);
        const int cy = rng_.Random(g.CellCountY);
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                int x = cx + dx;
                int y = cy + dy;
                WrapCoords(x, y, g.CellCountX, g.CellCountY);
                TCell& cell = world_.Cells.at(x, y);
                cell.LandUse = Destination;
                cell.Potential[2] += 1.0;
                DrawChangedCell(x, y);
            }
        }
    }
}

} // namespace landuse
