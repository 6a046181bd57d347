#include "agents/growth.h"

#include "model/fields.h"
#include "sim/simulation.h"

#include "support/world_counts.h"

#include <gtest/gtest.h>

#include <vector>

using namespace landuse;

using landuse::test::countLandUse;

namespace {

// The growth phase on a simulation's world, counts and weights.
void grow(Simulation& sim)
{
    GrowthCounts counts(sim.Register);
    const CellChanged drawn = [&](int32_t x, int32_t y) { sim.DrawChangedCell(x, y); };
    CreateAgents({sim.world, sim.WeightTable, sim.Rng, drawn}, counts);
}

} // namespace

TEST(Growth, ChoosesTheFirstHighestEmptyCell)
{
    TCellList cells;
    cells.resize(6, 6);
    EXPECT_EQ(ChooseGrowthCell(cells, 0).x, 0); // nothing above 0: (0, 0)
    EXPECT_EQ(ChooseGrowthCell(cells, 0).y, 0);
    cells[4][2].Potential[0] = 5;
    cells[1][3].Potential[0] = 5;  // same value, later row
    cells[5][1].Potential[0] = 7;
    cells[5][1].LandUse = Service; // not empty: never chosen
    const CellPos p = ChooseGrowthCell(cells, 0);
    EXPECT_EQ(p.x, 4);
    EXPECT_EQ(p.y, 2);
    cells[2][2].Potential[0] = 5;  // same row, smaller column
    EXPECT_EQ(ChooseGrowthCell(cells, 0).x, 2);
}

TEST(Growth, DefaultCountsPerStep)
{
    Simulation sim(nullptr, 2);
    sim.Create();
    sim.Step();
    const World& w = sim.world;
    ASSERT_EQ(w.Agents.size(), 3u);
    EXPECT_EQ(countLandUse(w, Residential), 3);
    EXPECT_EQ(countLandUse(w, Service), 1);
    EXPECT_EQ(countLandUse(w, Industry), 1);
    for (const TAgent& a : w.Agents) {
        EXPECT_EQ(w.Cells[a.HomeX][a.HomeY].LandUse, Residential);
        EXPECT_GE(a.Heading, 0);
        EXPECT_LT(a.Heading, 360);
    }
}

TEST(Growth, StopsAtTheAgentMaximum)
{
    Simulation sim(nullptr, 2);
    sim.Create();
    sim.Register.setText(Ctl::Edit_anzAg, "10");
    const size_t counts[] = {3, 6, 9, 12, 12, 12};
    int servicesAfterFour = 0;
    for (int step = 0; step < 6; ++step) {
        sim.Step();
        EXPECT_EQ(sim.world.Agents.size(), counts[step]) << "step " << step + 1;
        if (step == 3)
            servicesAfterFour = countLandUse(sim.world, Service);
    }
    EXPECT_EQ(countLandUse(sim.world, Service), servicesAfterFour);
    // Raising the maximum resumes growth at the next step.
    sim.Register.setText(Ctl::Edit_anzAg, "20");
    sim.Step();
    EXPECT_EQ(sim.world.Agents.size(), 15u);
}

TEST(Growth, BatchedPicksMatchAScanPerPick)
{
    // A crowded world with ties, painted cells and too few empty cells of
    // positive value, so that the fallback to (0, 0) happens as well.
    for (uint64_t seed = 1; seed <= 6; ++seed) {
        Simulation sim(nullptr, seed);
        sim.Register.setText(Ctl::Edit_size, "10");
        sim.Create();
        sim.Register.setText(Ctl::E_crAgs, seed % 2 ? "7" : "2");
        sim.Register.setText(Ctl::E_crServ, "4");
        sim.Register.setText(Ctl::E_crIndu, "3");
        TRandom fill(seed);
        TCellList& cells = sim.world.Cells;
        for (size_t i = 0; i < cells.size(); ++i) {
            TCell& c = cells.data()[i];
            for (int k = 0; k < 3; ++k)
                c.Potential[k] = fill.Random(4) * 0.5; // many ties, many zeros
            if (fill.Random(3) == 0)
                c.LandUse = Barrier;
            if (seed > 4 && fill.Random(10) != 0)
                c.Potential[0] = 0; // few candidates left
        }
        World expected = sim.world;
        const std::vector<TAgent> before = sim.world.Agents;
        std::vector<CellPos> want;
        const int counts[3] = {sim.Register.readInt(Ctl::E_crAgs), 4, 3};
        const int codes[3] = {Residential, Service, Industry};
        for (int k = 0; k < 3; ++k) {
            for (int i = 0; i < counts[k]; ++i) {
                const CellPos p = ChooseGrowthCell(expected.Cells, k);
                expected.Cells.at(p.x, p.y).LandUse = codes[k];
                want.push_back(p);
            }
        }
        grow(sim);
        for (int i = 0; i < counts[0]; ++i) {
            EXPECT_EQ(sim.world.Agents[size_t(i)].HomeX, want[size_t(i)].x) << seed;
            EXPECT_EQ(sim.world.Agents[size_t(i)].HomeY, want[size_t(i)].y) << seed;
        }
        for (size_t i = size_t(counts[0]); i < want.size(); ++i)
            EXPECT_EQ(cells.at(want[i].x, want[i].y).LandUse, i < size_t(counts[0] + 4) ? Service : Industry) << seed;
    }
}

TEST(Growth, FallbackPutsEveryAgentOnCellZero)
{
    Simulation sim(nullptr, 3);
    sim.Create();
    sim.Register.setGridText(5, 1, "0");  // no population noise
    sim.Register.gridKeyUp();
    DiffuseFields(sim.world, sim.WeightTable, sim.Rng);
    grow(sim);
    // The population field is 0 everywhere in the first step: all homes at (0, 0).
    for (const TAgent& a : sim.world.Agents) {
        EXPECT_EQ(a.HomeX, 0);
        EXPECT_EQ(a.HomeY, 0);
    }
    EXPECT_EQ(sim.world.Cells[0][0].AgentCount, 3);
    EXPECT_EQ(sim.world.Cells[0][0].LandUse, Residential);
}

TEST(Growth, NewCellsAddTheirWeightColumn)
{
    Simulation sim(nullptr, 8);
    sim.Register.setText(Ctl::Edit_size, "10");
    sim.Create();
    sim.Register.setText(Ctl::E_crAgs, "1");
    TCellList& cells = sim.world.Cells;
    for (size_t i = 0; i < cells.size(); ++i)
        for (int k = 0; k < 3; ++k)
            cells.data()[i].Potential[k] = 0;
    cells[3][4].Potential[0] = 2;
    cells[5][6].Potential[1] = 2;
    cells[7][8].Potential[2] = 2;
    grow(sim);
    EXPECT_EQ(cells[3][4].Potential[0], 3.0);
    EXPECT_EQ(cells[3][4].Potential[1], 0.5);
    EXPECT_EQ(cells[3][4].Potential[2], 0.5);
    EXPECT_EQ(cells[5][6].Potential[0], 0.5);
    EXPECT_EQ(cells[5][6].Potential[1], 3.0);
    EXPECT_EQ(cells[7][8].Potential[2], 3.0);
    EXPECT_EQ(cells[7][8].Potential[0], 0.0);
    EXPECT_EQ(cells[3][4].AgentCount, 1);
    const TAgent& a = sim.world.Agents[0];
    EXPECT_EQ(a.PosX, a.HomeX);
    EXPECT_EQ(a.PosY, a.HomeY);
    EXPECT_EQ(a.PixelX, 3 * 10 + 5);
}
