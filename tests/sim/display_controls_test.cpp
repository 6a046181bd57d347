// The display options as the controls set them, and when the painter gets them.

#include "sim/display_controls.h"
#include "sim/simulation.h"

#include "support/recording_painter.h"

#include <gtest/gtest.h>

using namespace landuse;
using landuse::test::RecordingPainter;

TEST(DisplayControls, EachBoxAndTheFieldSetTheirOwnOption)
{
    ParamRegister reg;
    // The defaults: only "show no tracks" and "show only return tracks" ticked.
    const DisplayOptions start = DisplayOptionsOf(reg);
    EXPECT_FALSE(start.noTracks);
    EXPECT_TRUE(start.showOrig);
    EXPECT_TRUE(start.showAB);
    EXPECT_FALSE(start.potField);
    EXPECT_FALSE(start.hideLandUse);
    EXPECT_EQ(start.field, reg.itemIndex(Ctl::CB_FieldNr));

    struct Box {
        Ctl id;
        bool DisplayOptions::*option;
    } boxes[] = {{Ctl::CB_noTracks, &DisplayOptions::noTracks}, {Ctl::CB_showOrig, &DisplayOptions::showOrig},
                 {Ctl::CB_showAB, &DisplayOptions::showAB},     {Ctl::CB_potField, &DisplayOptions::potField},
                 {Ctl::cb_noDesti, &DisplayOptions::hideLandUse}};
    for (const Box& box : boxes) {
        const DisplayOptions before = DisplayOptionsOf(reg);
        reg.setChecked(box.id, !reg.checked(box.id));
        DisplayOptions expected = before;
        expected.*box.option = !(before.*box.option);
        EXPECT_EQ(DisplayOptionsOf(reg), expected) << ControlDefOf(box.id).name;
    }
    for (int item = 0; item < 3; ++item) {
        reg.setItemIndex(Ctl::CB_FieldNr, item);
        EXPECT_EQ(DisplayOptionsOf(reg).field, item);
    }
}

TEST(DisplayControls, TheShadedWordFollowsTheView)
{
    DisplayOptions view;
    view.showAB = false;
    EXPECT_EQ(view.source(), ShadeSource::Track);
    EXPECT_EQ(view.shadeWord(), TrackWord);
    view.showAB = true;
    EXPECT_EQ(view.source(), ShadeSource::ReturnTrack);
    EXPECT_EQ(view.shadeWord(), ReturnTrackWord);
    view.potField = true; // wins over the return tracks
    for (int field = 0; field < 3; ++field) {
        view.field = field;
        EXPECT_EQ(view.source(), ShadeSource::Potential);
        EXPECT_EQ(view.shadeWord(), field);
    }
    for (int none : {-1, 3}) {
        view.field = none;
        EXPECT_FALSE(view.namesField());
        EXPECT_EQ(view.shadeWord(), -1) << none;
    }
}

TEST(DisplayControls, ThePainterIsGivenTheOptionsOnlyWhenTheyChange)
{
    RecordingPainter painter;
    Simulation sim(nullptr, 5);
    sim.setPainter(&painter);
    ASSERT_EQ(painter.given.size(), 1u) << "a new painter learns the view at once";
    EXPECT_EQ(painter.given[0], DisplayOptionsOf(sim.controls()));
    sim.Create();
    sim.Step();
    sim.RepaintAll();
    EXPECT_EQ(painter.given.size(), 1u) << "nothing changed";

    // Boxes that are no display option give nothing.
    sim.controls().setChecked(Ctl::CB_showAg, true);
    sim.controls().setChecked(Ctl::CB_decay, true);
    EXPECT_EQ(painter.given.size(), 1u);

    sim.controls().setItemIndex(Ctl::CB_FieldNr, 2);
    ASSERT_EQ(painter.given.size(), 2u);
    EXPECT_EQ(painter.given[1].field, 2);
    for (Ctl box : {Ctl::CB_potField, Ctl::cb_noDesti, Ctl::CB_noTracks, Ctl::CB_showOrig, Ctl::CB_showAB}) {
        const size_t before = painter.given.size();
        painter.calls.clear();
        sim.controls().setChecked(box, !sim.controls().checked(box));
        ASSERT_EQ(painter.given.size(), before + 1) << ControlDefOf(box).name;
        EXPECT_EQ(painter.given.back(), DisplayOptionsOf(sim.controls())) << ControlDefOf(box).name;
        // Given before the redraw that shows them.
        ASSERT_FALSE(painter.calls.empty()) << ControlDefOf(box).name;
        EXPECT_EQ(painter.calls.back(), "RedrawAllCells") << ControlDefOf(box).name;
    }
}
