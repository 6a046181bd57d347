#include "sim/simulation.h"

#include "support/fake_host.h"

#include <gtest/gtest.h>

using namespace landuse;
using landuse::test::FakeHost;

namespace {

struct Fixture {
    FakeHost host;
    Simulation sim{&host, 11};
    uint32_t now = 0;
    Fixture()
    {
        sim.setClock([this] { return now; });
        sim.Create();
        // Keep the world small and quiet so the step tests run quickly.
        sim.controls().setText(Ctl::Edit_size, "10");
        sim.NewSetup();
    }
};

} // namespace

TEST(Step, StopsTheTimerOnlyWhenTheCountEqualsTheStopStep)
{
    Fixture f;
    f.sim.controls().setText(Ctl::E_stop, "5");
    for (int i = 0; i < 4; ++i)
        f.sim.Step();
    EXPECT_EQ(f.host.timerStops, 0);
    f.sim.Step();
    EXPECT_EQ(f.host.timerStops, 1);
    EXPECT_EQ(f.sim.controls().text(Ctl::lbl_Steps), "5");
    // Past the stop step the run goes on and never stops again by itself.
    for (int i = 0; i < 5; ++i)
        f.sim.Step();
    EXPECT_EQ(f.host.timerStops, 1);
    EXPECT_EQ(f.sim.stepCount(), 10);

    // A stop step below the count never stops the run.
    f.sim.controls().setText(Ctl::E_stop, "3");
    f.sim.Step();
    EXPECT_EQ(f.host.timerStops, 1);
}

TEST(Step, RankSizeCadenceSurvivesANewSetup)
{
    Fixture f;
    for (int i = 0; i < 150; ++i)
        f.sim.Step();
    EXPECT_EQ(f.sim.rankSizeCounter(), 50);
    ASSERT_TRUE(f.sim.NewSetup());
    EXPECT_EQ(f.sim.stepCount(), 0);
    EXPECT_EQ(f.sim.rankSizeCounter(), 50);
    for (int i = 0; i < 49; ++i)
        f.sim.Step();
    EXPECT_EQ(f.sim.rankSizeCounter(), 99);
    f.sim.Step();
    EXPECT_EQ(f.sim.rankSizeCounter(), 0);
}

TEST(Step, FrameRateCaptionOncePerSecond)
{
    Fixture f;
    f.now = 1000; // the first step after start always writes the caption
    f.sim.Step();
    EXPECT_EQ(f.host.caption, "Group seperation || fps= 1");
    f.host.caption.clear();
    for (int i = 0; i < 9; ++i) {
        f.now += 100;
        f.sim.Step();
    }
    EXPECT_EQ(f.host.caption, ""); // 900 ms since the last caption
    f.now += 100;
    f.sim.Step();
    EXPECT_EQ(f.host.caption, "Group seperation || fps= 10");
    // 13 steps in 1040 ms: 12.5 per second, shown as 12 (half to even).
    for (int i = 0; i < 13; ++i) {
        f.now += 80;
        f.sim.Step();
    }
    EXPECT_EQ(f.host.caption, "Group seperation || fps= 12");
}

TEST(Step, FrameRateCountsAcrossTheTickCounterWrap)
{
    Fixture f;
    // A caption written just before the counter wraps.
    f.now = 0xFFFFFF00u;
    f.sim.Step();
    ASSERT_EQ(f.sim.lastTick(), 0xFFFFFF00u);
    f.host.caption.clear();
    f.now = 0xFFFFFF00u + 500;
    f.sim.Step();
    EXPECT_EQ(f.host.caption, "");
    f.now = 0xFFFFFF00u + 1000; // wraps past zero
    f.sim.Step();
    EXPECT_EQ(f.host.caption, "Group seperation || fps= 2");
}

TEST(Step, BadTextEndsTheStepAtThatPhase)
{
    Fixture f;
    f.sim.controls().setText(Ctl::Edit_anzAg, "many");
    f.sim.Step();
    ASSERT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(f.host.messages[0], "'many' is not a valid integer value");
    EXPECT_EQ(f.sim.stepCount(), 0);
    f.sim.controls().setText(Ctl::Edit_anzAg, "10");
    f.sim.Step();
    EXPECT_EQ(f.sim.stepCount(), 1);
}
