#include "sim/simulation.h"

#include "model/numtext.h"

namespace landuse {

void Simulation::MouseDown(MouseButton button, bool ctrl)
{
    if (button == MouseButton::Right)
        RightDown = true;
    else if (button == MouseButton::Left)
        LeftDown = true;
    // The mode is fixed by the press: releasing Ctrl during a drag changes nothing.
    if (ctrl)
        CtrlDown = true;
}

void Simulation::MouseMove(int x, int y)
{
    if (RightDown || LeftDown)
        PaintAt(x, y);
}

void Simulation::MouseUp()
{
    RightDown = false;
    LeftDown = false;
    CtrlDown = false;
}

void Simulation::PaintAt(int x, int y)
{
    if (!worldBuilt_)
        return;
    const GridGeometry& g = world_.Geometry;
    const int32_t col = RoundToInt(double(x) / double(g.CellSize));
    const int32_t row = RoundToInt(double(y) / double(g.CellSize));
    // The nearest column reaches CellCountX near the right edge of the
    // panel, and a drag that leaves the panel goes anywhere: such positions
    // paint nothing.
    if (col < 0 || col >= g.CellCountX || row < 0 || row >= g.CellCountY)
        return;
    if (LeftDown && !CtrlDown) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                int cx = col + dx;
                int cy = row + dy;
                WrapCoords(cx, cy, g.CellCountX, g.CellCountY);
                world_.Cells.at(cx, cy).LandUse = Barrier;
                DrawChangedCell(cx, cy);
            }
        }
    } else if (RightDown) {
        world_.Cells.at(col, row).LandUse = Empty;
        DrawChangedCell(col, row);
    } else if (LeftDown && CtrlDown) {
        world_.Cells.at(col, row).LandUse = Residential;
        DrawChangedCell(col, row);
    }
}

} // namespace landuse
