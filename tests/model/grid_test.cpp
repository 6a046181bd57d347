#include "model/cell.h"
#include "model/geometry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

using namespace landuse;

TEST(Geometry, EveryCellSizeOfThePanel)
{
    const int sizes[] = {2, 3, 4, 5, 6, 7, 8, 9, 10};
    const int counts[] = {202, 135, 101, 81, 67, 58, 50, 45, 40};
    const int halves[] = {1, 1, 2, 2, 3, 3, 4, 4, 5};
    for (int i = 0; i < 9; ++i) {
        const GridGeometry g = MakeGeometry(sizes[i]);
        EXPECT_EQ(g.CellCountX, counts[i]) << "cell size " << sizes[i];
        EXPECT_EQ(g.CellCountY, counts[i]) << "cell size " << sizes[i];
        EXPECT_EQ(g.HalfCell, halves[i]) << "cell size " << sizes[i];
    }
}

TEST(Grid, WrapsOnceAtBothEdges)
{
    int x = -1, y = 202;
    WrapCoords(x, y, 202, 202);
    EXPECT_EQ(x, 201);
    EXPECT_EQ(y, 0);
    x = 202;
    y = -1;
    WrapCoords(x, y, 202, 202);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 201);
    x = 0;
    y = 201;
    WrapCoords(x, y, 202, 202);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 201);
}

TEST(Grid, ColumnThenRowIndexing)
{
    TCellList cells;
    cells.resize(4, 3);
    cells[3][1].LandUse = Service;
    EXPECT_EQ(cells.at(3, 1).LandUse, Service);
    EXPECT_EQ(cells.row(1)[3].LandUse, Service);
    EXPECT_EQ(&cells[3][1] - cells.data(), 1 * 4 + 3);
}

TEST(Grid, CellsAndLooksStartOnACacheLineWhateverTheHeapHeld)
{
    // Odd-sized blocks first, so that the heap hands out blocks off a line.
    std::vector<std::vector<char>> clutter;
    for (int size : {24, 40, 1000, 200000, 5000000})
        clutter.emplace_back(size_t(size));
    for (const auto& [x, y] : {std::pair{1, 1}, {7, 3}, {202, 202}, {13, 9999}}) {
        TCellList cells;
        cells.resize(x, y);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(cells.data()) % CacheLineBytes, 0u) << x << "x" << y;
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(cells.looks()) % CacheLineBytes, 0u) << x << "x" << y;
        clutter.emplace_back(size_t(x * 3 + 8));
    }
}
