#include "sim/simulation.h"

#include "support/fake_host.h"

#include "support/world_counts.h"

#include <gtest/gtest.h>

using namespace landuse;
using landuse::test::FakeHost;

using landuse::test::countLandUse;

TEST(Setup, BuildsAnEmptyWorldWithTenDestinationBlocks)
{
    for (uint64_t seed = 1; seed <= 20; ++seed) {
        FakeHost host;
        Simulation sim(&host, seed);
        sim.Create();
        const World& w = sim.world();
        EXPECT_TRUE(w.Agents.empty());
        EXPECT_EQ(sim.stepCount(), 0);
        EXPECT_EQ(sim.stopStep(), 800);
        EXPECT_EQ(sim.tileSize(), 20);
        EXPECT_EQ(sim.returnMode(), 1);
        EXPECT_EQ(w.Geometry.CellCountX, 202);
        const int destinations = countLandUse(w, Destination);
        EXPECT_GE(destinations, 9);
        EXPECT_LE(destinations, 90);

        // Every destination cell has been raised once per covering block; the
        // raises add up to 90 whatever the overlaps.
        double raised = 0;
        for (size_t i = 0; i < w.Cells.size(); ++i) {
            const TCell& c = w.Cells.data()[i];
            raised += c.Potential[2];
            EXPECT_EQ(c.Potential[0], 0.0);
            EXPECT_EQ(c.AgentCount, 0);
            EXPECT_EQ(w.Cells.looks()[i].Shade, 255);
            EXPECT_EQ(c.TrackValue, 0.0);
            EXPECT_EQ(c.Potential[2] > 0, c.LandUse == Destination);
        }
        EXPECT_EQ(raised, 90.0);
        EXPECT_EQ(sim.controls().text(Ctl::Lbl_B), "22 Grad");
        EXPECT_EQ(sim.controls().text(Ctl::Lbl_wiggle), "20 Grad");
        EXPECT_TRUE(host.messages.empty());
    }
}

TEST(Setup, DestinationBlocksWrapAcrossTheEdges)
{
    // Some seed puts a block centre on an edge; find one and check its wrap.
    bool seen = false;
    for (uint64_t seed = 1; seed < 400 && !seen; ++seed) {
        Simulation sim(nullptr, seed);
        sim.Create();
        const TCellList& c = sim.world().Cells;
        for (int y = 0; y < 202 && !seen; ++y) {
            if (c[0][y].LandUse == Destination && c[201][y].LandUse == Destination && c[1][y].LandUse == Destination
                && c[200][y].LandUse != Destination) {
                // A block centred on column 0 covers columns 201, 0 and 1.
                seen = c[201][y].Potential[2] >= 1.0;
            }
        }
    }
    EXPECT_TRUE(seen);
}

TEST(Setup, CellCentresAndSizeFollowTheCellSize)
{
    Simulation sim(nullptr, 3);
    sim.controls().setText(Ctl::Edit_size, "3");
    sim.Create();
    const TCellList& c = sim.world().Cells;
    EXPECT_EQ(sim.world().Geometry.CellCountX, 135);
    EXPECT_EQ(c.look(0, 0).PositionX, 1);
    EXPECT_EQ(c.look(134, 2).PositionX, 134 * 3 + 1);
    EXPECT_EQ(c.look(134, 2).PositionY, 2 * 3 + 1);
    EXPECT_EQ(c.look(5, 5).Size, 1);
    sim.controls().setText(Ctl::Edit_size, "2");
    ASSERT_TRUE(sim.NewSetup());
    EXPECT_EQ(sim.world().Cells.look(201, 201).PositionX, 403);
}

TEST(Setup, BadTextKeepsTheOldWorld)
{
    FakeHost host;
    Simulation sim(&host, 5);
    sim.Create();
    sim.controls().setText(Ctl::E_crAgs, "3");
    for (int i = 0; i < 3; ++i)
        sim.Step();
    const size_t cellsBefore = sim.world().Cells.size();
    const double potentialBefore = sim.world().Cells[10][10].Potential[0];

    sim.controls().setText(Ctl::E_stop, "80x");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "'80x' is not a valid integer value");
    EXPECT_EQ(sim.stopStep(), 800);
    EXPECT_FALSE(sim.NewSetup());
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1], "'80x' is not a valid integer value");
    EXPECT_EQ(sim.stepCount(), 3);
    EXPECT_EQ(sim.world().Cells.size(), cellsBefore);
    EXPECT_EQ(sim.world().Cells[10][10].Potential[0], potentialBefore);

    sim.Step(); // the old world goes on
    EXPECT_EQ(sim.stepCount(), 4);

    sim.controls().setText(Ctl::Edit_size, "");
    EXPECT_FALSE(sim.NewSetup());
    EXPECT_EQ(host.messages.back(), "'' is not a valid integer value");
}

TEST(Setup, ReturnModeKeepsItsValueWithNeitherButton)
{
    Simulation sim(nullptr, 1);
    sim.Create();
    sim.controls().setChecked(Ctl::rb_direct, true);
    EXPECT_EQ(sim.returnMode(), 0);
    sim.controls().setChecked(Ctl::rb_direct, false);
    ASSERT_TRUE(sim.NewSetup());
    EXPECT_EQ(sim.returnMode(), 0);
    sim.controls().setChecked(Ctl::rb_hillCl, true);
    EXPECT_EQ(sim.returnMode(), 1);
}

TEST(Setup, ControlEventsRefreshTheRunVariables)
{
    Simulation sim(nullptr, 1);
    sim.Create();
    sim.controls().setText(Ctl::E_stop, "50");
    EXPECT_EQ(sim.stopStep(), 50);
    sim.controls().setText(Ctl::E_tileSz2, "30");
    EXPECT_EQ(sim.tileSize(), 20);
    sim.controls().setText(Ctl::E_tileSz, "30");
    EXPECT_EQ(sim.tileSize(), 30);
    sim.controls().setChecked(Ctl::CB_actAna2, true);
    EXPECT_TRUE(sim.analysis2Active());
    EXPECT_FALSE(sim.analysis1Active());

    sim.controls().setGridText(2, 1, "4");
    EXPECT_EQ(sim.weightTable().WPopPop, 1.0); // read only on a key release
    sim.controls().gridKeyUp();
    EXPECT_EQ(sim.weightTable().WPopPop, 4.0);
    sim.ResetValues();
    EXPECT_EQ(sim.weightTable().WPopPop, 1.0);
    EXPECT_EQ(sim.controls().gridText(2, 1), "1,0");
}
