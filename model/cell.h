#pragma once
// One grid cell and the grid of them. The grid is a torus: every neighbour
// and every agent step goes through WrapCoords.

#include "model/cache_lines.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace landuse {

// Land-use codes held in TCell::LandUse.
inline constexpr int32_t Empty = 0;
inline constexpr int32_t Barrier = 1;
inline constexpr int32_t Residential = 2;
inline constexpr int32_t Destination = 3;
inline constexpr int32_t Service = 4;
inline constexpr int32_t Industry = 5;

// One grid cell as the model sees it: land use, agents, marks and the three
// attraction values. Every step passes over all cells several times, so this
// record holds only what those passes touch (48 bytes).
struct TCell {
    double Potential[3] = {0, 0, 0}; // 0 population, 1 service, 2 industry
    double TrackValue = 0;           // laid by every move
    double ReturnTrackValue = 0;     // laid by returning agents; what agents sniff
    int32_t LandUse = Empty;
    int32_t AgentCount = 0;
};

// The rest of a cell: where it is drawn and how it was last drawn. Only the
// drawing reads and writes it, so it lives beside the cells rather than in
// them, out of the way of the model's passes. The grey scale's range and the
// field shown are the same for every cell, so the painter keeps them once.
struct TCellLook {
    TCellLook() = default;
    TCellLook(int32_t positionX, int32_t positionY, int32_t size, int32_t fillColor)
        : PositionX(positionX), PositionY(positionY), Size(size), FillColor(fillColor)
    {
    }

    double LastDrawnValue = 0; // TrackValue when last drawn
    int32_t Shade = 0;         // grey level last drawn, 0 black .. 255 white
    int32_t PositionX = 0;     // pixel centre
    int32_t PositionY = 0;
    int32_t Size = 0;          // half the drawn edge, pixels
    int32_t FillColor = 0;
    bool AllBlack = false;
};

// Cells[x][y]: column x, row y. Stored row by row in one block, the order in
// which every full-grid pass visits them.
class TCellList {
public:
    class Column {
    public:
        Column(TCell* base, int stride) : base_(base), stride_(stride) {}
        TCell& operator[](int y) const { return base_[size_t(y) * size_t(stride_)]; }

    private:
        TCell* base_;
        int stride_;
    };
    class ConstColumn {
    public:
        ConstColumn(const TCell* base, int stride) : base_(base), stride_(stride) {}
        const TCell& operator[](int y) const { return base_[size_t(y) * size_t(stride_)]; }

    private:
        const TCell* base_;
        int stride_;
    };

    void resize(int countX, int countY)
    {
        countX_ = countX;
        countY_ = countY;
        cells_.assign(size_t(countX) * size_t(countY), TCell{});
        looks_.assign(size_t(countX) * size_t(countY), TCellLook{});
    }
    void clear()
    {
        cells_.clear();
        cells_.shrink_to_fit();
        looks_.clear();
        looks_.shrink_to_fit();
        countX_ = countY_ = 0;
    }

    Column operator[](int x) { return {cells_.data() + x, countX_}; }
    ConstColumn operator[](int x) const { return {cells_.data() + x, countX_}; }
    TCell& at(int x, int y) { return cells_[size_t(y) * size_t(countX_) + size_t(x)]; }
    const TCell& at(int x, int y) const { return cells_[size_t(y) * size_t(countX_) + size_t(x)]; }

    TCellLook& look(int x, int y) { return looks_[size_t(y) * size_t(countX_) + size_t(x)]; }
    const TCellLook& look(int x, int y) const { return looks_[size_t(y) * size_t(countX_) + size_t(x)]; }
    TCellLook* looks() { return looks_.data(); }
    const TCellLook* looks() const { return looks_.data(); }

    // Row-major access for full-grid passes.
    TCell* data() { return cells_.data(); }
    const TCell* data() const { return cells_.data(); }
    TCell* row(int y) { return cells_.data() + size_t(y) * size_t(countX_); }
    const TCell* row(int y) const { return cells_.data() + size_t(y) * size_t(countX_); }
    size_t size() const { return cells_.size(); }
    int countX() const { return countX_; }
    int countY() const { return countY_; }

private:
    CacheLineVector<TCell> cells_;
    CacheLineVector<TCellLook> looks_;
    int countX_ = 0;
    int countY_ = 0;
};

// Brings a column and a row onto the grid by one correction of plus or minus
// the count; enough for every caller, which step at most one cell off the grid.
inline void WrapCoords(int& x, int& y, int countX, int countY)
{
    if (x < 0)
        x += countX;
    else if (x > countX - 1)
        x -= countX;
    if (y < 0)
        y += countY;
    else if (y > countY - 1)
        y -= countY;
}

} // namespace landuse
