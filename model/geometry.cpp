#include "model/geometry.h"

#include "model/numtext.h"

namespace landuse {

GridGeometry MakeGeometry(int32_t cellSize, int panelWidth, int panelHeight)
{
    GridGeometry g;
    g.CellSize = cellSize;
    g.HalfCell = cellSize / 2;
    g.CellCountX = RoundToInt(double(panelWidth) / double(cellSize));
    g.CellCountY = RoundToInt(double(panelHeight) / double(cellSize));
    return g;
}

} // namespace landuse
