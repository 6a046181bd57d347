// What the simulation asks its painter to draw, and when.

#include "sim/simulation.h"

#include "support/fake_host.h"
#include "support/recording_painter.h"
#include "support/world_counts.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace landuse;
using landuse::test::FakeHost;
using landuse::test::RecordingPainter;

namespace {

using Calls = std::vector<std::string>;

struct Painted {
    FakeHost host;
    RecordingPainter painter;
    Simulation sim{&host, 17};
    Painted()
    {
        sim.setPainter(&painter);
        sim.Create();
        painter.clear();
    }
};

} // namespace

TEST(Drawing, SetupDrawsFreshLayersThenTheDestinations)
{
    Painted p;
    ASSERT_TRUE(p.sim.NewSetup());
    EXPECT_EQ(p.painter.folded(), (Calls{"FreeLayers", "CreateLayers", "FindShadeRange", "RepaintCells", "DrawCell x90"}));
    for (const RecordingPainter::Cell& c : p.painter.cells) {
        EXPECT_EQ(p.sim.world().Cells.at(c.x, c.y).LandUse, Destination);
        EXPECT_EQ(c.source, ShadeSource::Track);
    }
}

TEST(Drawing, AStepDrawsGrowthThenThePictureThenMigrations)
{
    Painted p;
    p.sim.controls().setChecked(Ctl::cb_noDesti, true);
    p.sim.controls().setChecked(Ctl::CB_migrate, true);
    p.sim.controls().setText(Ctl::E_migTh, "0"); // every agent on an empty cell moves its home
    p.painter.clear();
    p.sim.Step();
    const Calls calls = p.painter.folded();
    ASSERT_EQ(calls.size(), 5u) << ::testing::PrintToString(calls);
    // Three homes, a service and an industry cell, drawn as they appear.
    EXPECT_EQ(calls[0], "DrawCell x5");
    // The picture of the step, before the agents move.
    EXPECT_EQ((Calls{calls[1], calls[2], calls[3]}), (Calls{"FindShadeRange", "ClearAgentLayer", "RepaintCells"}));
    // Then the new homes of the agents that migrated.
    EXPECT_EQ(calls[4], "DrawCell x3");
    for (const RecordingPainter::Cell& c : p.painter.cells)
        EXPECT_TRUE(c.hideLandUse); // "show no destinations" reaches every drawing

    p.painter.clear();
    p.sim.controls().setChecked(Ctl::CB_showAg, true);
    p.sim.controls().setChecked(Ctl::CB_migrate, false);
    p.painter.clear();
    p.sim.Step();
    EXPECT_EQ(p.painter.folded(),
              (Calls{"DrawCell x5", "FindShadeRange", "ClearAgentLayer", "RepaintCells", "DrawAgents"}));
}

TEST(Drawing, DisplayOptionsRedrawAtOnceAndAllBlackOnlyMarksTheCells)
{
    Painted p;
    p.sim.controls().setChecked(Ctl::CB_showAB, false);
    EXPECT_EQ(p.painter.folded(), (Calls{"FindShadeRange", "RedrawAllCells"}));
    p.painter.clear();
    for (Ctl box : {Ctl::CB_showOrig, Ctl::cb_noDesti, Ctl::CB_potField}) {
        p.sim.controls().setChecked(box, !p.sim.controls().checked(box));
        EXPECT_EQ(p.painter.folded(), (Calls{"FindShadeRange", "RedrawAllCells"})) << ControlDefOf(box).name;
        p.painter.clear();
    }
    p.sim.controls().setChecked(Ctl::CB_noTracks, true);
    EXPECT_EQ(p.painter.folded(), (Calls{"RedrawAllCells"}));
    p.painter.clear();

    // No handlers: the next step or a click shows the change.
    p.sim.controls().setItemIndex(Ctl::CB_FieldNr, 2);
    p.sim.controls().setChecked(Ctl::CB_showAg, true);
    EXPECT_TRUE(p.painter.calls.empty());

    p.sim.controls().setChecked(Ctl::Cb_allBlack, true);
    EXPECT_TRUE(p.painter.calls.empty());
    const World& w = p.sim.world();
    for (size_t i = 0; i < w.Cells.size(); ++i)
        ASSERT_TRUE(w.Cells.looks()[i].AllBlack) << i;
    p.sim.controls().setChecked(Ctl::Cb_allBlack, false);
    EXPECT_FALSE(w.Cells.look(7, 9).AllBlack);
}

TEST(Drawing, RepaintAllFollowsTheDisplayOptions)
{
    Painted p;
    p.sim.RepaintAll();
    EXPECT_EQ(p.painter.folded(), (Calls{"FindShadeRange", "ClearAgentLayer", "RedrawAllCells"}));
    p.painter.clear();
    p.sim.controls().setChecked(Ctl::CB_showAg, true);
    p.sim.controls().setChecked(Ctl::CB_noTracks, true);
    p.painter.clear();
    p.sim.RepaintAll();
    EXPECT_EQ(p.painter.folded(), (Calls{"FindShadeRange", "ClearAgentLayer", "DrawAgents", "RepaintCells"}));
}

TEST(Drawing, AStepHandsThePainterTheRescaleSurveyOfTheCellsAsGrowthLeftThem)
{
    Painted p;
    for (int word = 0; word <= ReturnTrackWord; ++word) {
        // The view whose shaded value is this word.
        p.sim.controls().setChecked(Ctl::CB_showAB, word == ReturnTrackWord);
        p.sim.controls().setChecked(Ctl::CB_potField, word < TrackWord);
        p.sim.controls().setItemIndex(Ctl::CB_FieldNr, word < TrackWord ? word : 0);
        p.painter.clear();
        p.sim.Step();
        const Calls calls = p.painter.folded();
        ASSERT_EQ(calls.size(), 4u) << ::testing::PrintToString(calls);
        ASSERT_EQ(calls[0], "DrawCell x5") << "the growth of the step";
        ASSERT_EQ(calls[1], "FindShadeRange");
        ASSERT_EQ(p.painter.surveys.size(), 1u);
        const RecordingPainter::Survey& s = p.painter.surveys[0];
        EXPECT_EQ(s.word, word);
        EXPECT_EQ(s.cellCount, p.sim.world().Cells.size());
        EXPECT_TRUE(s.sameAsScan) << "word " << word;
        // The survey is of the cells after the growth: every cell the growth
        // took is listed as not empty.
        for (const RecordingPainter::Cell& c : p.painter.cells) {
            const uint32_t i = uint32_t(c.y * p.sim.world().Cells.countX() + c.x);
            EXPECT_TRUE(std::binary_search(s.occupied.begin(), s.occupied.end(), i)) << c.x << ", " << c.y;
        }
    }
    // Outside the step FindShadeRange scans.
    p.painter.clear();
    p.sim.RepaintAll();
    ASSERT_TRUE(p.sim.NewSetup());
    p.sim.controls().setChecked(Ctl::CB_showAB, false);
    EXPECT_EQ(std::count(p.painter.calls.begin(), p.painter.calls.end(), "FindShadeRange"), 3);
    EXPECT_TRUE(p.painter.surveys.empty());
}
