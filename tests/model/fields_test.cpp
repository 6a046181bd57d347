#include "model/fields.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace landuse;

namespace {

World makeWorld(int n)
{
    World w;
    w.Geometry = MakeGeometry(2);
    w.Geometry.CellCountX = w.Geometry.CellCountY = n;
    w.Cells.resize(n, n);
    w.Limbo.resize(n, n);
    return w;
}

TWeightTable quietTable()
{
    TWeightTable t;
    t.DiffPop = t.DiffServ = t.DiffIndu = 1.0;
    return t;
}

} // namespace

TEST(Fields, SinglePeakSpreadsToItsEightNeighbours)
{
    World w = makeWorld(10);
    w.Cells[4][4].Potential[0] = 8;
    TRandom rng(1);
    DiffuseFields(w, quietTable(), rng);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool centre = x == 4 && y == 4;
            const bool neighbour = !centre && std::abs(x - 4) <= 1 && std::abs(y - 4) <= 1;
            EXPECT_EQ(w.Cells[x][y].Potential[0], centre ? 8.0 : neighbour ? 1.0 : 0.0) << x << "," << y;
        }
    }
    NormalizeFields(w);
    EXPECT_EQ(w.Cells[4][4].Potential[0], 10.0);
    EXPECT_EQ(w.Cells[5][5].Potential[0], 1.25);
    EXPECT_EQ(w.Cells[0][0].Potential[0], 0.0);
}

TEST(Fields, NeighboursWrapAroundTheTorus)
{
    World w = makeWorld(202);
    w.Cells[0][201].Potential[1] = 8;
    TRandom rng(1);
    DiffuseFields(w, quietTable(), rng);
    EXPECT_EQ(w.Cells[201][0].Potential[1], 1.0);
    EXPECT_EQ(w.Cells[1][200].Potential[1], 1.0);
    EXPECT_EQ(w.Cells[201][201].Potential[1], 1.0);
    EXPECT_EQ(w.Cells[0][0].Potential[1], 1.0);
    EXPECT_EQ(w.Cells[2][201].Potential[1], 0.0);
}

TEST(Fields, ZeroFieldStaysZeroWithoutNoise)
{
    World w = makeWorld(20);
    TWeightTable t = quietTable();
    t.NoiseServ = 5.0;
    TRandom rng(3);
    for (int step = 0; step < 5; ++step) {
        DiffuseFields(w, t, rng);
        NormalizeFields(w);
    }
    double hiServ = 0;
    for (size_t i = 0; i < w.Cells.size(); ++i) {
        EXPECT_EQ(w.Cells.data()[i].Potential[0], 0.0);
        hiServ = std::max(hiServ, w.Cells.data()[i].Potential[1]);
    }
    EXPECT_EQ(hiServ, 10.0);
}

TEST(Fields, WholeGridPassMatchesTheCellByCellMean)
{
    World w = makeWorld(17);
    TRandom fill(9);
    for (size_t i = 0; i < w.Cells.size(); ++i)
        for (int k = 0; k < 3; ++k)
            w.Cells.data()[i].Potential[k] = fill.Random() * 10 + (k == 1 ? 1e-7 : 0);
    World ref = w;
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 17; ++x)
            NeighbourMean(ref, x, y);

    TWeightTable t = quietTable();
    t.DiffServ = 0.7;
    t.NoisePop = 6.0;
    t.NoiseServ = 5.0;
    t.NoiseIndu = 4.8;
    TRandom a(42), b(42);
    DiffuseFields(w, t, a);
    for (int y = 0; y < 17; ++y) {
        for (int x = 0; x < 17; ++x) {
            const double r = b.Random();
            for (int k = 0; k < 3; ++k) {
                const long double mean = ref.Limbo.at(k, x, y);
                EXPECT_EQ(w.Limbo.at(k, x, y), mean);
                const double expected = double(mean * (long double)t.diff(k) + (long double)ref.Cells[x][y].Potential[k]
                                               + (long double)r * (long double)t.noise(k));
                EXPECT_EQ(w.Cells[x][y].Potential[k], expected);
            }
        }
    }
}

TEST(Fields, CoefficientZeroLeavesOnlyNoise)
{
    World w = makeWorld(8);
    w.Cells[3][3].Potential[2] = 4;
    TWeightTable t;
    t.NoiseIndu = 1.0;
    TRandom a(5), b(5);
    DiffuseFields(w, t, a);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(w.Cells[x][y].Potential[2], (x == 3 && y == 3 ? 4.0 : 0.0) + b.Random());
}

TEST(Fields, FieldWithoutSpanIsLeftAlone)
{
    World w = makeWorld(6);
    for (size_t i = 0; i < w.Cells.size(); ++i) {
        w.Cells.data()[i].Potential[0] = 3.5;
        w.Cells.data()[i].Potential[1] = double(i);
    }
    NormalizeFields(w);
    for (size_t i = 0; i < w.Cells.size(); ++i) {
        EXPECT_EQ(w.Cells.data()[i].Potential[0], 3.5);
        EXPECT_FALSE(std::isnan(w.Cells.data()[i].Potential[0]));
    }
    EXPECT_EQ(w.Cells.data()[35].Potential[1], 10.0);
    EXPECT_EQ(w.Cells.data()[0].Potential[1], 0.0);
    // A field whose top is at most 1e-8 is scaled as if its top were 1e-8.
    w.Cells.data()[0].Potential[2] = 5e-9;
    NormalizeFields(w);
    EXPECT_DOUBLE_EQ(w.Cells.data()[0].Potential[2], 5.0);
}
