#pragma once
// Everything one world holds, from one Setup to the next FreeWorld.

#include "agents/agent.h"
#include "model/cell.h"
#include "model/geometry.h"
#include "model/tile.h"

#include <cstdint>
#include <vector>

namespace landuse {

// Scratch space of the field diffusion, sized with the grid at setup. The
// diffusion updates the grid row by row in place, so it keeps the previous
// step's values of the rows around the one it updates (and of row 0, which
// the last row wraps to), each padded with the wrapped neighbour at both ends.
// Next to each value sits its exact fixed-point twin, so that neighbour sums
// can be added in integers whenever that gives the extended-precision sum
// exactly.
struct TLimboRow {
    std::vector<double> value[3];  // padded: index x + 1 is column x
    std::vector<int64_t> fixed[3]; // value * 2^55 when exact
    std::vector<uint8_t> inexact;  // 1 where a value has no exact twin
    bool anyInexact = false;
};

struct TLimbo {
    void resize(int countX)
    {
        for (TLimboRow& row : rows) {
            for (int k = 0; k < 3; ++k) {
                row.value[k].assign(size_t(countX) + 2, 0.0);
                row.fixed[k].assign(size_t(countX) + 2, 0);
            }
            row.inexact.assign(size_t(countX) + 2, 0);
        }
        for (auto& s : sums)
            s.assign(size_t(countX), 0);
        for (auto& s : withCentre)
            s.assign(size_t(countX), 0);
        columns.assign(size_t(countX) + 2, 0);
    }
    void clear() { *this = TLimbo{}; }

    TLimboRow rows[4];             // three rolling rows and row 0
    std::vector<int64_t> sums[3];  // neighbour sums of the row being updated
    std::vector<int64_t> withCentre[3]; // the same plus eight times the centre
    std::vector<int64_t> columns;  // column sums of three rows, padded
};

struct World {
    GridGeometry Geometry;
    TCellList Cells;
    std::vector<TAgent> Agents;
    TLimbo Limbo;
    std::vector<TTile> Tiles;
};

} // namespace landuse
