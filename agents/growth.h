#pragma once
// Growth of the settlement: new agents on new residential cells, then new
// service and industry cells, each where its field is highest.

#include "model/cell.h"

#include <cstdint>

namespace landuse {

class Simulation;

struct CellPos {
    int32_t x = 0;
    int32_t y = 0;
};

// The empty cell with the highest Potential[k] above 0, first in row-major
// order among equals; (0, 0) when there is none.
CellPos ChooseGrowthCell(const TCellList& cells, int k);

void CreateAgents(Simulation& sim);
void PlaceAgent(Simulation& sim, size_t index, int kind);
void MarkResidential(Simulation& sim, int32_t x, int32_t y);
void CreateResources(Simulation& sim);

} // namespace landuse
