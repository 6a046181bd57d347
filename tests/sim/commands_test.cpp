// The buttons as the window runs them, and how a step fails.

#include "model/numtext.h"
#include "sim/simulation.h"

#include "support/fake_host.h"

#include <gtest/gtest.h>

using namespace landuse;
using landuse::test::FakeHost;

namespace {

struct Driven {
    FakeHost host;
    Simulation sim{&host, 9};
    explicit Driven(const char* cellSize = "10")
    {
        sim.controls().setText(Ctl::Edit_size, cellSize);
        sim.Create();
    }
};

} // namespace

TEST(Commands, StartStopShowsTheRankSizeWindowAndTogglesTheTimer)
{
    Driven r;
    r.sim.StartStop();
    EXPECT_TRUE(r.host.timerOn);
    EXPECT_EQ(r.host.rankSizeShown, 1);
    EXPECT_EQ(r.host.page, 1); // "Settings" comes to the front
    r.host.page = 3;
    r.sim.StartStop();
    EXPECT_FALSE(r.host.timerOn);
    EXPECT_EQ(r.host.rankSizeShown, 2); // also on the press that stops
    EXPECT_EQ(r.host.page, 3);
    r.sim.ShowRankSize();
    EXPECT_EQ(r.host.rankSizeShown, 3);
    EXPECT_FALSE(r.host.timerOn);
}

TEST(Commands, OneStepRunsInEitherTimerState)
{
    Driven r;
    r.sim.OneStep();
    r.host.timerOn = true;
    r.sim.OneStep();
    EXPECT_EQ(r.sim.stepCount(), 2);
    EXPECT_TRUE(r.host.timerOn);
    EXPECT_EQ(r.sim.controls().text(Ctl::lbl_Steps), "2");
}

TEST(Commands, AFailedSetupLeavesNoWorldToCrashOn)
{
    Driven r;
    for (int i = 0; i < 3; ++i)
        r.sim.Step();
    // A sweep's restart frees the world before it sets up the next one.
    r.sim.FreeWorld();
    r.sim.controls().setText(Ctl::E_stop, "8oo");
    ASSERT_EQ(r.host.messages.size(), 1u); // from the change of E_stop
    EXPECT_THROW(r.sim.Setup(), ConvertError);
    EXPECT_FALSE(r.sim.HasWorld());
    EXPECT_EQ(r.sim.world().Geometry.CellCountX, 0);

    r.host.timerOn = true;
    r.sim.Step();
    EXPECT_EQ(r.sim.stepCount(), 0);
    EXPECT_FALSE(r.host.timerOn);
    ASSERT_EQ(r.host.messages.size(), 2u);
    EXPECT_NE(r.host.messages[1].find("no world to step"), std::string::npos) << r.host.messages[1];
    r.sim.RepaintAll(); // nothing to draw, nothing to crash on
    r.sim.controls().setChecked(Ctl::Cb_allBlack, true);

    r.sim.controls().setText(Ctl::E_stop, "800");
    ASSERT_TRUE(r.sim.NewSetup());
    r.sim.Step();
    EXPECT_EQ(r.sim.stepCount(), 1);
    EXPECT_EQ(r.host.messages.size(), 2u);
}

TEST(Commands, CountsBeyondTheWorldAreRefusedBeforeTheStepRuns)
{
    Driven r; // 40 by 40 cells
    const double before = r.sim.world().Cells.at(3, 4).Potential[1];
    r.sim.controls().setText(Ctl::E_crServ, "2147483647");
    r.sim.Step();
    ASSERT_EQ(r.host.messages.size(), 1u);
    EXPECT_EQ(r.host.messages[0], "E_crServ: 2147483647 new cells per step are more than the 1600 cells of the world");
    EXPECT_EQ(r.sim.stepCount(), 0);
    EXPECT_EQ(r.sim.world().Cells.at(3, 4).Potential[1], before); // not even diffused

    r.sim.controls().setText(Ctl::E_crServ, "1");
    r.sim.controls().setText(Ctl::E_crAgs, "1601");
    r.sim.Step();
    EXPECT_EQ(r.host.messages.back(), "E_crAgs: 1601 new cells per step are more than the 1600 cells of the world");

    // As many as there are cells is allowed: the world fills up, and the
    // rest of the step's agents share cell (0, 0).
    r.sim.controls().setText(Ctl::E_crAgs, "1600");
    r.sim.controls().setText(Ctl::Edit_anzAg, "5000");
    r.sim.Step();
    EXPECT_EQ(r.sim.stepCount(), 1);
    EXPECT_EQ(r.sim.world().Agents.size(), 1600u);

    // Once the agents are complete no count is read, so none is refused.
    r.sim.controls().setText(Ctl::E_crAgs, "99999");
    r.sim.controls().setText(Ctl::Edit_anzAg, "10");
    const size_t messages = r.host.messages.size();
    r.sim.Step();
    EXPECT_EQ(r.sim.stepCount(), 2);
    EXPECT_EQ(r.host.messages.size(), messages);
}

TEST(Commands, BadTextsInTheWalkFailAtTheirMomentOnce)
{
    Driven r;
    for (int i = 0; i < 2; ++i)
        r.sim.Step();
    r.sim.controls().setChecked(Ctl::CB_migrate, true);
    r.sim.controls().setText(Ctl::E_migTh, "two");
    r.sim.Step();
    // One message, though every agent would test its migration.
    ASSERT_EQ(r.host.messages.size(), 1u);
    EXPECT_EQ(r.host.messages[0], "'two' is not a valid integer value");
    EXPECT_EQ(r.sim.stepCount(), 2); // the step ended in the walk
    // The first agent moved before its test failed; the second did not move.
    EXPECT_EQ(r.sim.world().Agents[0].TripSteps, 3);
    EXPECT_EQ(r.sim.world().Agents[1].TripSteps, 2);
}
