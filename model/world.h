#pragma once
// Everything one world holds, from one Setup to the next FreeWorld.

#include "agents/agent.h"
#include "model/cell.h"
#include "model/geometry.h"
#include "model/tile.h"

#include <vector>

namespace landuse {

// Scratch space of the field diffusion: per field the neighbour mean of every
// cell, in extended precision, stored row by row like the cells.
class TLimbo {
public:
    void resize(int countX, int countY)
    {
        countX_ = countX;
        for (auto& m : means_)
            m.assign(size_t(countX) * size_t(countY), 0.0L);
    }
    void clear()
    {
        for (auto& m : means_) {
            m.clear();
            m.shrink_to_fit();
        }
        countX_ = 0;
    }
    long double& at(int k, int x, int y) { return means_[k][size_t(y) * size_t(countX_) + size_t(x)]; }
    long double at(int k, int x, int y) const { return means_[k][size_t(y) * size_t(countX_) + size_t(x)]; }
    long double* field(int k) { return means_[k].data(); }
    size_t size() const { return means_[0].size(); }

private:
    std::vector<long double> means_[3];
    int countX_ = 0;
};

struct World {
    GridGeometry Geometry;
    TCellList Cells;
    std::vector<TAgent> Agents;
    TLimbo Limbo;
    std::vector<TTile> Tiles;
};

} // namespace landuse
