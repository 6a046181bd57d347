// Painting barriers, homes and empty cells with the mouse on the panel.

#include "sim/simulation.h"

#include "support/recording_painter.h"
#include "support/world_counts.h"

#include <gtest/gtest.h>

using namespace landuse;
using landuse::test::countLandUse;
using landuse::test::RecordingPainter;

namespace {

struct Panel {
    RecordingPainter painter;
    Simulation sim{nullptr, 5};
    explicit Panel(const char* cellSize = "2")
    {
        sim.controls().setText(Ctl::Edit_size, cellSize);
        sim.setPainter(&painter);
        sim.Create();
        // A clean world: no destinations in the way.
        for (size_t i = 0; i < sim.world().Cells.size(); ++i)
            sim.worldForTest().Cells.data()[i].LandUse = Empty;
        painter.clear();
    }
    int32_t landUse(int x, int y) const { return sim.world().Cells.at(x, y).LandUse; }
    void drag(MouseButton button, bool ctrl, int x, int y)
    {
        sim.MouseDown(button, ctrl);
        sim.MouseMove(x, y);
        sim.MouseUp();
    }
};

} // namespace

TEST(MousePaint, ClickWithoutMovingPaintsNothing)
{
    Panel p;
    for (bool ctrl : {false, true}) {
        p.sim.MouseDown(MouseButton::Left, ctrl);
        p.sim.MouseUp();
        p.sim.MouseDown(MouseButton::Right, ctrl);
        p.sim.MouseUp();
    }
    EXPECT_EQ(countLandUse(p.sim.world(), Empty), 202 * 202);
    p.sim.MouseMove(50, 50); // no button down
    EXPECT_TRUE(p.painter.calls.empty());
}

TEST(MousePaint, LeftDragPaintsWrappedBarrierBlocks)
{
    Panel p;
    // x = 1 is column 0 (0.5 to the even 0), y = 50 is row 25.
    p.drag(MouseButton::Left, false, 1, 50);
    EXPECT_EQ(countLandUse(p.sim.world(), Barrier), 9);
    for (int x : {201, 0, 1})
        for (int y : {24, 25, 26})
            EXPECT_EQ(p.landUse(x, y), Barrier) << x << "," << y;
    EXPECT_EQ(p.painter.cells.size(), 9u);
    // x = 5 is column 2 (2.5 to the even 2); both buttons paint barriers too.
    p.sim.MouseDown(MouseButton::Left, false);
    p.sim.MouseDown(MouseButton::Right, false);
    p.sim.MouseMove(5, 403 - 2); // row 200 (200.5 to the even 200)
    p.sim.MouseUp();
    EXPECT_EQ(p.landUse(3, 201), Barrier);
    EXPECT_EQ(p.landUse(1, 199), Barrier);
}

TEST(MousePaint, CtrlAtThePressPaintsSingleHomesAndRightDragEmpties)
{
    Panel p;
    p.sim.MouseDown(MouseButton::Left, true);
    p.sim.MouseMove(20, 20);
    p.sim.MouseMove(24, 20); // every move paints, no line between
    p.sim.MouseUp();
    EXPECT_EQ(countLandUse(p.sim.world(), Residential), 2);
    EXPECT_EQ(p.landUse(10, 10), Residential);
    EXPECT_EQ(p.landUse(12, 10), Residential);

    p.sim.worldForTest().Cells.at(10, 10).Potential[0] = 3;
    p.drag(MouseButton::Right, false, 20, 20);
    EXPECT_EQ(p.landUse(10, 10), Empty);
    EXPECT_EQ(p.sim.world().Cells.at(10, 10).Potential[0], 3.0); // painting changes only the land use
    // Ctrl with the right button still empties.
    p.drag(MouseButton::Right, true, 24, 20);
    EXPECT_EQ(p.landUse(12, 10), Empty);
}

TEST(MousePaint, PositionsOffTheGridPaintNothing)
{
    // The nearest column of the last pixels reaches one past the grid for
    // some cell sizes: 403 / 2 = 201.5 goes to the even 202, and with cell
    // size 8 even the last cell's centre 396 goes to 50 of 50 columns.
    struct Edge {
        const char* cellSize;
        int lastOn, firstOff, lastColumn;
    } edges[] = {{"2", 402, 403, 201}, {"3", 403, 404, 134}, {"8", 395, 396, 49}};
    for (const Edge& e : edges) {
        Panel p(e.cellSize);
        for (int x : {e.firstOff, -5, -1000, 100000, -2147483647}) {
            p.drag(MouseButton::Left, false, x, 100);
            p.drag(MouseButton::Right, false, 100, x);
        }
        EXPECT_TRUE(p.painter.cells.empty()) << e.cellSize;
        p.drag(MouseButton::Left, false, e.lastOn, e.lastOn);
        EXPECT_EQ(p.landUse(e.lastColumn, e.lastColumn), Barrier) << e.cellSize;
        EXPECT_EQ(p.landUse(0, 0), Barrier) << e.cellSize; // the block wraps
    }
}

TEST(MousePaint, NothingToPaintWithoutAWorld)
{
    Panel p;
    p.sim.FreeWorld();
    p.painter.clear();
    p.drag(MouseButton::Left, false, 10, 10);
    EXPECT_TRUE(p.painter.calls.empty());
}
