#pragma once
// Grid geometry from the cell size and the drawing panel.

#include <cstdint>

namespace landuse {

inline constexpr int PanelWidth = 404;  // pixels
inline constexpr int PanelHeight = 404;

struct GridGeometry {
    int32_t CellSize = 0;   // edge of a cell, pixels
    int32_t HalfCell = 0;   // floor(CellSize / 2)
    int32_t CellCountX = 0; // columns: panel width / CellSize, to nearest (ties even)
    int32_t CellCountY = 0; // rows
};

GridGeometry MakeGeometry(int32_t cellSize, int panelWidth = PanelWidth, int panelHeight = PanelHeight);

} // namespace landuse
