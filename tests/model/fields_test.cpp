#include "model/fields.h"
#include "model/simulation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace landuse;

namespace {

World makeWorld(int n)
{
    World w;
    w.Geometry = MakeGeometry(2);
    w.Geometry.CellCountX = w.Geometry.CellCountY = n;
    w.Cells.resize(n, n);
    w.Limbo.resize(n);
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

namespace {

// The diffusion cell by cell, straight from its definition.
void referenceDiffuse(World& w, const TWeightTable& t, TRandom& rng)
{
    const int n = w.Geometry.CellCountX;
    std::vector<long double> means(size_t(n) * size_t(w.Geometry.CellCountY) * 3);
    for (int y = 0; y < w.Geometry.CellCountY; ++y)
        for (int x = 0; x < n; ++x)
            NeighbourMean(w, x, y, &means[(size_t(y) * size_t(n) + size_t(x)) * 3]);
    for (int y = 0; y < w.Geometry.CellCountY; ++y) {
        for (int x = 0; x < n; ++x) {
            const long double r = rng.Random();
            for (int k = 0; k < 3; ++k) {
                double& p = w.Cells[x][y].Potential[k];
                p = double(means[(size_t(y) * size_t(n) + size_t(x)) * 3 + size_t(k)] * (long double)t.diff(k) + p
                           + r * (long double)t.noise(k));
            }
        }
    }
}

void expectSameFields(const World& a, const World& b)
{
    for (size_t i = 0; i < a.Cells.size(); ++i)
        for (int k = 0; k < 3; ++k)
            ASSERT_EQ(a.Cells.data()[i].Potential[k], b.Cells.data()[i].Potential[k]) << "cell " << i << " field " << k;
}

} // namespace

TEST(Fields, WholeGridPassMatchesTheCellByCellDefinition)
{
    // Values of every kind: exact in fixed point, tiny ones whose sums round
    // in extended precision, large ones, negative ones and zeros.
    World w = makeWorld(23);
    TRandom fill(9);
    const double specials[] = {1e-3, 1e-20, 3e-300, 15.5, 1e6, -0.7, 0.0, -0.0, 0.0625, 13.99};
    for (size_t i = 0; i < w.Cells.size(); ++i)
        for (int k = 0; k < 3; ++k)
            w.Cells.data()[i].Potential[k] = i % 7 == 3 ? specials[(i + size_t(k)) % 10] : fill.Random() * 10;
    for (double diffServ : {1.0, 0.7, 0.0}) {
        TWeightTable t = quietTable();
        t.DiffServ = diffServ;
        t.DiffIndu = -1.3;
        t.NoisePop = 6.0;
        t.NoiseServ = 5.0;
        t.NoiseIndu = 4.8;
        World ref = w;
        TRandom a(42), b(42);
        DiffuseFields(w, t, a);
        referenceDiffuse(ref, t, b);
        expectSameFields(w, ref);
    }
}

TEST(Fields, WholeGridPassMatchesTheDefinitionInARunningWorld)
{
    Simulation sim(nullptr, 4);
    sim.Create();
    for (int i = 0; i < 40; ++i)
        sim.Step();
    World ref = sim.world;
    TRandom rng = sim.Rng;
    DiffuseFields(sim.world, sim.WeightTable, sim.Rng);
    referenceDiffuse(ref, sim.WeightTable, rng);
    expectSameFields(sim.world, ref);
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
