#pragma once
// The walk: every agent, in list order, steers, lays its marks, completes or
// starts a trip, stops at barriers, moves, and may move its home.

#include "agents/agent.h"
#include "agents/world.h"
#include "model/cell.h"
#include "model/random.h"
#include "model/register.h"

#include <cstdint>

namespace landuse {

// The parameters of the walk that are read once per step, before the first
// agent moves.
struct WalkParams {
    int32_t threshold = 22;   // TrB_thresh, degrees
    int32_t wiggle = 20;      // SB_wiggle, degrees
    int32_t returnNoise = 30; // E_noise rounded to whole degrees
    double consume = 0.1;     // E_CProbab
    int32_t sniffMode = 2;    // 1 roulette wheel, 2 hill climbing, 0 neither
    bool migrate = false;     // CB_migrate
};

// Throws ConvertError for an E_noise or E_CProbab that does not convert.
WalkParams ReadWalkParams(const ParamRegister& reg);

// Every agent in list order. The migration threshold is converted at the
// first migration test of the step, so a bad text fails there, after the
// agents before it have moved.
void MoveAgents(World& world, const WalkParams& params, int32_t returnMode, DeferredInt& migrationThreshold,
                TRandom& rng, const CellChanged& cellChanged);
// Moves the agent's home to the crowded empty cell it stands on.
void Migrate(World& world, TAgent& agent, int32_t threshold, const CellChanged& cellChanged);
// Agents on the 3 by 3 block around (x, y), wrapped, minus the asking one.
int32_t NeighbourAgents(const TCellList& cells, int x, int y);

} // namespace landuse
