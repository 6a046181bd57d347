#pragma once
// Everything one world holds, from one Setup to the next FreeWorld: the grid
// and the agents that walk on it.

#include "agents/agent.h"
#include "model/grid.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace landuse {

struct World : Grid {
    std::vector<TAgent> Agents;
};

// Told of every cell whose land use the model has just changed (growth,
// migration), so that it is drawn at once.
using CellChanged = std::function<void(int32_t x, int32_t y)>;

} // namespace landuse
