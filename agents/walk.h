#pragma once
// The walk: every agent, in list order, steers, lays its marks, completes or
// starts a trip, stops at barriers, moves, and may move its home.

#include "agents/agent.h"
#include "model/cell.h"

#include <cstdint>

namespace landuse {

class Simulation;

void MoveAgents(Simulation& sim);
void Migrate(Simulation& sim, TAgent& agent);
// Agents on the 3 by 3 block around (x, y), wrapped, minus the asking one.
int32_t NeighbourAgents(const TCellList& cells, int x, int y);

} // namespace landuse
