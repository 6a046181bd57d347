#include "agents/growth.h"

#include "model/fields.h"
#include "model/numtext.h"
#include "sim/simulation.h"

#include "support/grid_checks.h"
#include "support/world_counts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace landuse;

using landuse::test::countLandUse;

namespace {

// The growth phase on a simulation's world, counts and weights.
void grow(Simulation& sim, TRandom& rng)
{
    GrowthCounts counts(sim.controls());
    const CellChanged drawn = [&](int32_t x, int32_t y) { sim.DrawChangedCell(x, y); };
    CreateAgents({sim.worldForTest(), sim.weightTable(), rng, drawn}, counts);
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
    const World& w = sim.world();
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
    sim.controls().setText(Ctl::Edit_anzAg, "10");
    const size_t counts[] = {3, 6, 9, 12, 12, 12};
    int servicesAfterFour = 0;
    for (int step = 0; step < 6; ++step) {
        sim.Step();
        EXPECT_EQ(sim.world().Agents.size(), counts[step]) << "step " << step + 1;
        if (step == 3)
            servicesAfterFour = countLandUse(sim.world(), Service);
    }
    EXPECT_EQ(countLandUse(sim.world(), Service), servicesAfterFour);
    // Raising the maximum resumes growth at the next step.
    sim.controls().setText(Ctl::Edit_anzAg, "20");
    sim.Step();
    EXPECT_EQ(sim.world().Agents.size(), 15u);
}

TEST(Growth, BatchedPicksMatchAScanPerPick)
{
    // A crowded world with ties, painted cells and too few empty cells of
    // positive value, so that the fallback to (0, 0) happens as well.
    for (uint64_t seed = 1; seed <= 6; ++seed) {
        Simulation sim(nullptr, seed);
        sim.controls().setText(Ctl::Edit_size, "10");
        sim.Create();
        sim.controls().setText(Ctl::E_crAgs, seed % 2 ? "7" : "2");
        sim.controls().setText(Ctl::E_crServ, "4");
        sim.controls().setText(Ctl::E_crIndu, "3");
        TRandom fill(seed);
        TCellList& cells = sim.worldForTest().Cells;
        for (size_t i = 0; i < cells.size(); ++i) {
            TCell& c = cells.data()[i];
            for (int k = 0; k < 3; ++k)
                c.Potential[k] = fill.Random(4) * 0.5; // many ties, many zeros
            if (fill.Random(3) == 0)
                c.LandUse = Barrier;
            if (seed > 4 && fill.Random(10) != 0)
                c.Potential[0] = 0; // few candidates left
        }
        World expected = sim.world();
        const std::vector<TAgent> before = sim.world().Agents;
        std::vector<CellPos> want;
        const int counts[3] = {sim.controls().readInt(Ctl::E_crAgs), 4, 3};
        const int codes[3] = {Residential, Service, Industry};
        for (int k = 0; k < 3; ++k) {
            for (int i = 0; i < counts[k]; ++i) {
                const CellPos p = ChooseGrowthCell(expected.Cells, k);
                expected.Cells.at(p.x, p.y).LandUse = codes[k];
                want.push_back(p);
            }
        }
        TRandom rng = sim.rng();
        grow(sim, rng);
        for (int i = 0; i < counts[0]; ++i) {
            EXPECT_EQ(sim.world().Agents[size_t(i)].HomeX, want[size_t(i)].x) << seed;
            EXPECT_EQ(sim.world().Agents[size_t(i)].HomeY, want[size_t(i)].y) << seed;
        }
        for (size_t i = size_t(counts[0]); i < want.size(); ++i)
            EXPECT_EQ(cells.at(want[i].x, want[i].y).LandUse, i < size_t(counts[0] + 4) ? Service : Industry) << seed;
    }
}

TEST(Growth, SurveyedPicksAndRescaleMatchAScanPerPick)
{
    // Picks from the candidates that the diffusion collects, with counts
    // beyond the cells that can take them (so that picks fall back to (0, 0)
    // again and again), weights below, at and above 0, and fields kept as
    // filled (ties, zeros) or averaged. The rescale that follows takes its
    // bounds from the survey, corrected for every picked cell.
    const int32_t counts[][3] = {{7, 4, 3}, {40, 300, 200}, {3, 900, 400}};
    for (GridKernels kernels : landuse::test::kernelsToTry()) {
        for (uint64_t seed = 1; seed <= 6; ++seed) {
            const int32_t* count = counts[seed % 3];
            Simulation sim(nullptr, seed);
            sim.setKernels(kernels);
            sim.controls().setText(Ctl::Edit_size, "10");
            sim.Create();
            sim.controls().setText(Ctl::E_crAgs, IntToStr(count[0]));
            sim.controls().setText(Ctl::E_crServ, IntToStr(count[1]));
            sim.controls().setText(Ctl::E_crIndu, IntToStr(count[2]));
            TWeightTable w = sim.weightTable();
            TRandom rng = sim.rng();
            w.DiffPop = 0.5;
            w.DiffServ = 0;
            w.NoiseServ = 0;
            w.DiffIndu = 1;
            w.NoiseIndu = 0;
            w.WPopPop = seed % 2 ? -0.5 : 1.0;
            w.WServPop = -0.0;
            w.WInduServ = seed % 2 ? 0.0 : -2.0;
            w.WServIndu = 3.0;
            TRandom fill(seed);
            TCellList& cells = sim.worldForTest().Cells;
            for (size_t i = 0; i < cells.size(); ++i) {
                TCell& c = cells.data()[i];
                for (int k = 0; k < 3; ++k)
                    c.Potential[k] = fill.Random(5) * 0.25 - (seed > 3 ? 0.25 : 0.0);
                if (fill.Random(3) == 0)
                    c.LandUse = Barrier;
            }
            GrowthCounts growthCounts(sim.controls());
            FieldSurvey survey;
            PlanGrowth(growthCounts, survey, cells.size());
            DiffuseFields(sim.worldForTest(), w, rng, survey);

            World expected = sim.world();
            const int codes[3] = {Residential, Service, Industry};
            const double columns[3][3] = {{w.WPopPop, w.WServPop, w.WInduPop},
                                          {w.WPopServ, w.WServServ, w.WInduServ},
                                          {w.WPopIndu, w.WServIndu, w.WInduIndu}};
            for (int k = 0; k < 3; ++k) {
                for (int i = 0; i < count[k]; ++i) {
                    const CellPos p = ChooseGrowthCell(expected.Cells, k);
                    TCell& c = expected.Cells.at(p.x, p.y);
                    c.LandUse = codes[k];
                    c.AgentCount += k == 0;
                    for (int f = 0; f < 3; ++f)
                        c.Potential[f] += columns[k][f];
                }
            }
            NormalizeFields(expected);

            const CellChanged drawn = [](int32_t, int32_t) {};
            CreateAgents({sim.worldForTest(), w, rng, drawn, &survey}, growthCounts);
            NormalizeFields(sim.worldForTest(), FieldBoundsOf(sim.world(), survey));
            landuse::test::expectSameCells(sim.world(), expected,
                                           landuse::test::kernelName(kernels) + ", seed " + std::to_string(seed));
        }
    }
}

TEST(Growth, FallbackPutsEveryAgentOnCellZero)
{
    Simulation sim(nullptr, 3);
    sim.Create();
    sim.controls().setGridText(5, 1, "0");  // no population noise
    sim.controls().gridKeyUp();
    TRandom rng = sim.rng();
    DiffuseFields(sim.worldForTest(), sim.weightTable(), rng);
    grow(sim, rng);
    // The population field is 0 everywhere in the first step: all homes at (0, 0).
    for (const TAgent& a : sim.world().Agents) {
        EXPECT_EQ(a.HomeX, 0);
        EXPECT_EQ(a.HomeY, 0);
    }
    EXPECT_EQ(sim.world().Cells[0][0].AgentCount, 3);
    EXPECT_EQ(sim.world().Cells[0][0].LandUse, Residential);
}

TEST(Growth, NewCellsAddTheirWeightColumn)
{
    Simulation sim(nullptr, 8);
    sim.controls().setText(Ctl::Edit_size, "10");
    sim.Create();
    sim.controls().setText(Ctl::E_crAgs, "1");
    TCellList& cells = sim.worldForTest().Cells;
    for (size_t i = 0; i < cells.size(); ++i)
        for (int k = 0; k < 3; ++k)
            cells.data()[i].Potential[k] = 0;
    cells[3][4].Potential[0] = 2;
    cells[5][6].Potential[1] = 2;
    cells[7][8].Potential[2] = 2;
    TRandom rng = sim.rng();
    grow(sim, rng);
    EXPECT_EQ(cells[3][4].Potential[0], 3.0);
    EXPECT_EQ(cells[3][4].Potential[1], 0.5);
    EXPECT_EQ(cells[3][4].Potential[2], 0.5);
    EXPECT_EQ(cells[5][6].Potential[0], 0.5);
    EXPECT_EQ(cells[5][6].Potential[1], 3.0);
    EXPECT_EQ(cells[7][8].Potential[2], 3.0);
    EXPECT_EQ(cells[7][8].Potential[0], 0.0);
    EXPECT_EQ(cells[3][4].AgentCount, 1);
    const TAgent& a = sim.world().Agents[0];
    EXPECT_EQ(a.PosX, a.HomeX);
    EXPECT_EQ(a.PosY, a.HomeY);
    EXPECT_EQ(a.PixelX, 3 * 10 + 5);
}
