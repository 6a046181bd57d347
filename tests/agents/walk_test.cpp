#include "agents/walk.h"

#include "model/numtext.h"
#include "sim/simulation.h"

#include "support/fake_host.h"

#include <gtest/gtest.h>

using namespace landuse;

namespace {

// A 40 by 40 world without growth, where tests place agents by hand.
struct WalkWorld {
    test::FakeHost host;
    Simulation sim{&host, 21};
    TRandom rng{0}; // the walk's draws, from the simulation's generator after setup
    WalkWorld()
    {
        sim.controls().setText(Ctl::Edit_size, "10");
        sim.Create();
        rng = sim.rng();
        for (size_t i = 0; i < sim.world().Cells.size(); ++i)
            sim.worldForTest().Cells.data()[i] = TCell();
    }
    TCell& cell(int x, int y) { return sim.worldForTest().Cells[x][y]; }
    // The walk phase as a step runs it.
    void move()
    {
        const WalkParams params = ReadWalkParams(sim.controls());
        DeferredInt threshold(sim.controls(), Ctl::E_migTh);
        const CellChanged drawn = [&](int32_t x, int32_t y) { sim.DrawChangedCell(x, y); };
        MoveAgents(sim.worldForTest(), params, sim.returnMode(), threshold, rng, drawn);
    }
    TAgent& addAgent(int x, int y, int homeX, int homeY, int state = Searching)
    {
        TAgent a;
        a.PosX = x;
        a.PosY = y;
        a.HomeX = homeX;
        a.HomeY = homeY;
        a.State = state;
        sim.worldForTest().Agents.push_back(a);
        cell(x, y).AgentCount += 1;
        return sim.worldForTest().Agents.back();
    }
    void ring(int x, int y, int landUse)
    {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (dx != 0 || dy != 0)
                    cell(x + dx, y + dy).LandUse = landUse;
    }
};

} // namespace

TEST(Walk, BarrierStopsTheMoveButNotTheTrip)
{
    WalkWorld w;
    w.ring(10, 10, Barrier);
    w.addAgent(10, 10, 10, 10, Returning).HomeX = 30;
    for (int step = 1; step <= 5; ++step) {
        w.move();
        const TAgent& a = w.sim.world().Agents[0];
        EXPECT_EQ(a.PosX, 10);
        EXPECT_EQ(a.PosY, 10);
        EXPECT_EQ(a.TripSteps, step);
        EXPECT_GE(a.Heading, 0);
        EXPECT_LE(a.Heading, 360);
        // A returning agent lays 10 on its own cell every step, and no track.
        EXPECT_EQ(w.cell(10, 10).ReturnTrackValue, 10.0 * step);
        EXPECT_EQ(w.cell(10, 10).TrackValue, 0.0);
        EXPECT_EQ(w.cell(10, 10).AgentCount, 1);
    }
}

TEST(Walk, ConsumeProbabilityOneAndZero)
{
    WalkWorld w;
    w.ring(10, 10, Destination);
    w.ring(20, 20, Service);
    w.addAgent(10, 10, 5, 5);
    w.sim.controls().setText(Ctl::E_CProbab, "1");
    w.move();
    const TAgent& a = w.sim.world().Agents[0];
    EXPECT_EQ(a.State, Returning); // turned back, yet moved onto the destination
    EXPECT_EQ(w.cell(a.PosX, a.PosY).LandUse, Destination);
    EXPECT_EQ(w.cell(10, 10).TrackValue, 1.0);
    EXPECT_EQ(w.cell(10, 10).AgentCount, 0);
    EXPECT_EQ(w.cell(a.PosX, a.PosY).AgentCount, 1);

    WalkWorld z;
    z.ring(20, 20, Service);
    z.addAgent(20, 20, 5, 5);
    z.sim.controls().setText(Ctl::E_CProbab, "0");
    z.move();
    EXPECT_EQ(z.sim.world().Agents[0].State, Searching);
}

TEST(Walk, ArrivalHomeCompletesTheTrip)
{
    WalkWorld w;
    w.cell(10, 10).LandUse = Residential;
    TAgent& a = w.addAgent(10, 10, 10, 10, Returning);
    a.TripSteps = 40;
    w.move();
    const TAgent& b = w.sim.world().Agents[0];
    EXPECT_EQ(b.State, Searching);
    EXPECT_EQ(b.Successful, 1);
    EXPECT_EQ(b.TripSteps, 0);
    EXPECT_EQ(w.cell(10, 10).ReturnTrackValue, 10.0);
    EXPECT_EQ(w.cell(10, 10).TrackValue, 1.0); // it moved off its home

    // Walking over the home while searching completes nothing.
    WalkWorld s;
    s.addAgent(10, 10, 10, 10, Searching);
    s.move();
    EXPECT_EQ(s.sim.world().Agents[0].Successful, 0);
    EXPECT_EQ(s.sim.world().Agents[0].TripSteps, 1);
}

TEST(Walk, ReturningAgentHeadsHome)
{
    WalkWorld w;
    w.sim.controls().setChecked(Ctl::rb_direct, true);
    w.sim.controls().setText(Ctl::E_noise, "0");
    w.addAgent(10, 10, 20, 10, Returning);
    for (int i = 0; i < 3; ++i)
        w.move();
    EXPECT_EQ(w.sim.world().Agents[0].PosX, 13);
    EXPECT_EQ(w.sim.world().Agents[0].PosY, 10);
    EXPECT_EQ(w.sim.world().Agents[0].Heading, 0);
}

TEST(Walk, MigrationMovesTheHomeToACrowd)
{
    WalkWorld w;
    w.ring(10, 10, Barrier); // keeps the three agents on (10, 10)
    w.cell(30, 30).LandUse = Residential;
    w.cell(30, 30).Potential[0] = 0.6;
    w.cell(31, 31).LandUse = Residential;
    w.cell(31, 31).Potential[0] = 4;
    w.addAgent(10, 10, 30, 30);
    w.addAgent(10, 10, 31, 31);
    w.addAgent(10, 10, 31, 31);
    w.sim.controls().setChecked(Ctl::CB_migrate, true);
    w.move();
    const auto& agents = w.sim.world().Agents;
    // The first migrates; its new home is no longer empty for the others.
    EXPECT_EQ(agents[0].Migrated, 1);
    EXPECT_EQ(agents[0].HomeX, 10);
    EXPECT_EQ(agents[1].Migrated, 0);
    EXPECT_EQ(agents[2].Migrated, 0);
    EXPECT_EQ(w.cell(30, 30).LandUse, Empty);
    EXPECT_EQ(w.cell(30, 30).Potential[0], 0.0); // at most 1: to 0
    EXPECT_EQ(w.cell(10, 10).LandUse, Residential);
    EXPECT_EQ(w.cell(10, 10).Potential[0], 1.0);
    EXPECT_EQ(NeighbourAgents(w.sim.world().Cells, 10, 10), 2);

    // A threshold above the crowd: nobody moves.
    WalkWorld q;
    q.ring(10, 10, Barrier);
    q.addAgent(10, 10, 31, 31);
    q.addAgent(10, 10, 31, 31);
    q.sim.controls().setChecked(Ctl::CB_migrate, true);
    q.sim.controls().setText(Ctl::E_migTh, "2");
    q.move();
    EXPECT_EQ(q.sim.world().Agents[0].Migrated, 0);
}

TEST(Walk, NeighbourCountWrapsAtTheEdges)
{
    WalkWorld w;
    w.addAgent(39, 39, 0, 0);
    w.addAgent(0, 0, 0, 0);
    w.addAgent(1, 39, 0, 0);
    EXPECT_EQ(NeighbourAgents(w.sim.world().Cells, 0, 0), 2);
}

TEST(Walk, BadTextsStopTheWalkWhereTheyAreRead)
{
    WalkWorld w;
    w.addAgent(10, 10, 10, 10);
    w.sim.controls().setText(Ctl::E_noise, "3x");
    EXPECT_THROW(w.move(), ConvertError);
    EXPECT_EQ(w.sim.world().Agents[0].TripSteps, 0); // nobody moved
    w.sim.controls().setText(Ctl::E_noise, "30");
    w.sim.controls().setChecked(Ctl::CB_migrate, true);
    w.sim.controls().setText(Ctl::E_migTh, "");
    EXPECT_THROW(w.move(), ConvertError);
    EXPECT_EQ(w.sim.world().Agents[0].TripSteps, 1); // the first agent moved
}

TEST(WalkParams, ReturnNoiseIsTheTextRoundedToTheNearestDegreeWithTiesToEven)
{
    WalkWorld w;
    const std::vector<std::pair<std::string, int32_t>> cases{
        {"12,6", 13}, {"12,5", 12}, {"13,5", 14}, {"12,4999", 12}, {"-12,5", -12}, {"-13,5", -14},
        {"0,5", 0},   {"1,5", 2},   {"30", 30},   {"2e9", 1'000'000'000}};
    for (const auto& [text, degrees] : cases) {
        w.sim.controls().setText(Ctl::E_noise, text);
        EXPECT_EQ(ReadWalkParams(w.sim.controls()).returnNoise, degrees) << text;
    }
}
