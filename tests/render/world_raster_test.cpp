// The world on the raster's layers, pixel by pixel.

#include "render/world_raster.h"
#include "model/random.h"
#include "sim/simulation.h"

#include "support/plain_painter.h"
#include "support/world_counts.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <tuple>

using namespace landuse;
using landuse::test::PlainPainter;

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// A simulation drawing into a raster from its first setup on.
struct Drawn {
    WorldRaster raster;
    Simulation sim{nullptr, 17};
    explicit Drawn(const char* cellSize = "2", int width = PanelWidth, int height = PanelHeight)
        : raster(width, height)
    {
        sim.controls().setText(Ctl::Edit_size, cellSize);
        sim.setPainter(&raster);
        sim.Create();
    }
    World& world() { return sim.worldForTest(); }
    ParamRegister& reg() { return sim.controls(); }
    TCell& cell(int x, int y) { return sim.worldForTest().Cells.at(x, y); }
    // The pixel at the centre of a cell's square.
    uint32_t pixelOf(int x, int y) const
    {
        const TCellLook& look = sim.world().Cells.look(x, y);
        return raster.CellLayer().at(look.PositionX, look.PositionY);
    }
    // Every cell empty and zero, so that a test sets up exactly what it draws.
    void clearCells()
    {
        for (size_t i = 0; i < sim.world().Cells.size(); ++i)
            sim.worldForTest().Cells.data()[i] = TCell{};
    }
    void setLandUse(int32_t code)
    {
        for (size_t i = 0; i < sim.world().Cells.size(); ++i)
            sim.worldForTest().Cells.data()[i].LandUse = code;
    }
};

std::string hex(uint32_t colour)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", colour);
    return text;
}

} // namespace

TEST(WorldRaster, SetupShowsAWhiteWorldWithLimeDestinationBlocks)
{
    Drawn d;
    const PixelLayer& layer = d.raster.CellLayer();
    ASSERT_EQ(layer.width, 404);
    ASSERT_EQ(layer.height, 404);
    int lime = 0;
    for (int y = 0; y < 404; ++y) {
        for (int x = 0; x < 404; ++x) {
            const bool destination = d.cell(x / 2, y / 2).LandUse == Destination;
            ASSERT_EQ(layer.at(x, y), destination ? PixelLime : PixelWhite) << x << ", " << y;
            lime += destination;
        }
    }
    EXPECT_EQ(lime, landuse::test::countLandUse(d.world(), Destination) * 4);
    EXPECT_GE(lime, 9 * 4);
    EXPECT_TRUE(d.raster.AgentLayerClear());
    EXPECT_EQ(d.raster.AgentLayer().pixels, std::vector<uint32_t>(404 * 404, PixelClear));
    EXPECT_EQ(d.raster.Compose(), layer.pixels);
}

TEST(WorldRaster, ShadesRoundHalfToEvenAndStayInRange)
{
    struct Case {
        double value;
        long double max, min;
        int32_t shade;
    } cases[] = {
        {1.0, 2, 0, 128},     {127.5, 255, 0, 128}, // g = 127.5: 127.5 goes to the even 128
        {128.5, 255, 0, 126}, {128.4, 255, 0, 127}, // 126.5 to the even 126
        {2.0, 2, 0, 0},       {7.0, 2, 0, 0},       // at or above the top: black
        {0.0, 2, 0, 255},     {-3.0, 2, 0, 255},    // at or below the bottom: white
        {5.0, 5, 5, 255},     {0.0, 5, 5, 255},     // no span: white
        {NaN, 2, 0, 255},     {Inf, 2, 0, 0},       {-Inf, 2, 0, 255},
        {1.0, Inf, 0, 255},   {Inf, Inf, 0, 255},   // a scale of 0; inf times 0 is no number
        {1e308, 1e308, -1e308, 0}, {-1e308, 1e308, -1e308, 255},
        {0.1, 0.1L, 0, 0},    // the double 0.1 lies above 0.1L
        {0.0, 0.1L, 99999999999.0L, 0}, {2e11, 0.1L, 99999999999.0L, 255}, // no empty cell: backwards
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShadeOf(c.value, c.max, c.min), c.shade)
            << c.value << " in " << double(c.min) << ".." << double(c.max);
    const int32_t middle = ShadeOf(0.0, 1e308, -1e308);
    EXPECT_TRUE(middle == 127 || middle == 128) << middle;
    EXPECT_EQ(ShadePixel(128), 0xFF808080u);
}

TEST(WorldRaster, ShadesInDoubleAreTheExtendedOnesNextToTiesToo)
{
    const long double ranges[][2] = {{2, 0},         {0.1L, 0},   {255, 0}, {10, -3.7}, {1e308, -1e308},
                                     {0.1L, 99999999999.0L}, {1e-3, 1e-3 - 1e-12}, {7.3, 1.0 / 3}};
    const double max = std::numeric_limits<double>::max();
    const double tiny = std::numeric_limits<double>::denorm_min();
    TRandom random(11);
    int nearTies = 0;
    for (const auto& range : ranges) {
        const GreyScale scale(range[0], range[1]);
        std::vector<double> values{max, -max, Inf, -Inf, NaN, tiny, -tiny, 0.0, -0.0, 1e200, -1e200};
        for (int i = 0; i < 2000; ++i)
            values.push_back(double(range[1] + (random.Random() * 1.2 - 0.1) * (range[0] - range[1])));
        // Values whose g is a half, and their neighbours a few steps away.
        for (int k = 0; k <= 255; ++k) {
            double v = double(range[1] + (k + 0.5L) * (range[0] - range[1]) / 255);
            for (int i = 0; i < 3; ++i)
                v = std::nextafter(v, -Inf);
            for (int i = 0; i < 7; ++i, v = std::nextafter(v, Inf))
                values.push_back(v);
        }
        for (const double v : values) {
            ASSERT_EQ(scale.shade(v), scale.exactShade(v))
                << v << " in " << double(range[1]) << ".." << double(range[0]);
            const long double g = ((long double)v - range[1]) * (255.0L / (range[0] - range[1]));
            nearTies += std::fabs(g - std::floor(g) - 0.5L) < 1e-12L;
        }
    }
    EXPECT_GT(nearTies, 1000) << "the values missed the ties";
}

TEST(WorldRaster, ShadeRangeSpansTheShownValueOfEmptyCells)
{
    Drawn d;
    d.clearCells();
    // All zeros: the top stays at the extended 0.1.
    d.raster.FindShadeRange(d.world());
    EXPECT_EQ(d.raster.ShadeRangeMax(), 0.1L);
    EXPECT_NE(d.raster.ShadeRangeMax(), (long double)0.1);
    EXPECT_EQ(d.raster.ShadeRangeMin(), 0.0L);
    d.cell(3, 4).ReturnTrackValue = 0.1; // the double, just above 0.1L
    d.cell(5, 6).ReturnTrackValue = NaN;
    d.raster.FindShadeRange(d.world());
    EXPECT_EQ(d.raster.ShadeRangeMax(), (long double)0.1);

    d.cell(7, 7).ReturnTrackValue = 40;
    d.cell(8, 7).ReturnTrackValue = -2;
    d.cell(9, 7).ReturnTrackValue = 90; // not empty: left out
    d.cell(9, 7).LandUse = Service;
    d.cell(1, 1).TrackValue = 500;      // not the shown value
    d.cell(1, 2).Potential[2] = 9;
    d.raster.FindShadeRange(d.world());
    EXPECT_EQ(d.raster.ShadeRangeMax(), 40.0L);
    EXPECT_EQ(d.raster.ShadeRangeMin(), -2.0L);
    d.reg().setChecked(Ctl::CB_showAB, false);
    d.raster.FindShadeRange(d.world());
    EXPECT_EQ(d.raster.ShadeRangeMax(), 500.0L);
    d.reg().setChecked(Ctl::CB_potField, true);
    d.reg().setItemIndex(Ctl::CB_FieldNr, 2);
    d.raster.FindShadeRange(d.world());
    EXPECT_EQ(d.raster.ShownField(), 2);
    EXPECT_EQ(d.raster.ShadeRangeMax(), 9.0L);

    // No empty cell: the start values stay.
    d.setLandUse(Residential);
    d.raster.FindShadeRange(d.world());
    EXPECT_EQ(d.raster.ShadeRangeMax(), 0.1L);
    EXPECT_EQ(d.raster.ShadeRangeMin(), 99999999999.0L);
}

TEST(WorldRaster, ShadeWordIsTheWordTheRangeIsTakenOf)
{
    Drawn d;
    EXPECT_EQ(d.raster.displayOptions().shadeWord(), ReturnTrackWord);
    d.reg().setChecked(Ctl::CB_showAB, false);
    EXPECT_EQ(d.raster.displayOptions().shadeWord(), TrackWord);
    d.reg().setChecked(Ctl::CB_potField, true);
    for (int field = 0; field < 3; ++field) {
        d.reg().setItemIndex(Ctl::CB_FieldNr, field);
        EXPECT_EQ(d.raster.displayOptions().shadeWord(), field);
    }
}

TEST(WorldRaster, RedrawsInTheOptionsItIsGiven)
{
    // A raster alone, on a world the simulation built without it.
    Simulation sim(nullptr, 17);
    sim.Create();
    World& world = sim.worldForTest();
    WorldRaster raster;
    raster.CreateLayers(world);
    TCell* cells = world.Cells.data();
    for (size_t i = 0; i < world.Cells.size(); ++i)
        cells[i] = TCell{};
    world.Cells.at(3, 3).LandUse = Service;
    world.Cells.at(6, 6).Potential[1] = 4;
    world.Cells.at(9, 9).ReturnTrackValue = 4;
    const auto pixel = [&](int x, int y) {
        const TCellLook& look = world.Cells.look(x, y);
        return raster.CellLayer().at(look.PositionX, look.PositionY);
    };
    const auto redraw = [&](const DisplayOptions& view) {
        raster.setDisplayOptions(view);
        EXPECT_EQ(raster.displayOptions(), view);
        raster.FindShadeRange(world);
        raster.RedrawAllCells(world);
    };

    DisplayOptions view; // track marks, land use shown
    redraw(view);
    EXPECT_EQ(hex(pixel(3, 3)), hex(PixelRed));
    EXPECT_EQ(hex(pixel(6, 6)), hex(PixelWhite));
    EXPECT_EQ(hex(pixel(9, 9)), hex(PixelWhite));
    view.hideLandUse = true;
    redraw(view);
    EXPECT_EQ(hex(pixel(3, 3)), hex(PixelWhite));
    view.showAB = true;
    redraw(view);
    EXPECT_EQ(hex(pixel(9, 9)), hex(PixelBlack));
    EXPECT_EQ(hex(pixel(6, 6)), hex(PixelWhite));
    view.potField = true;
    view.field = 1;
    redraw(view);
    EXPECT_EQ(raster.ShownField(), 1);
    EXPECT_EQ(hex(pixel(6, 6)), hex(PixelBlack));
    EXPECT_EQ(hex(pixel(9, 9)), hex(PixelWhite));
    view.field = 5; // names no field: the last one stays
    redraw(view);
    EXPECT_EQ(raster.ShownField(), 1);
    EXPECT_EQ(hex(pixel(6, 6)), hex(PixelBlack));
}

TEST(WorldRaster, ShadeRangeAndNotesFromASurveyOfTheShownWordElseFromAScan)
{
    Drawn d;
    for (int i = 0; i < 20; ++i)
        d.sim.Step();
    const size_t count = d.world().Cells.size();
    // A survey that no scan of this world would find, listing two cells.
    const auto made = [&](int word, size_t cells, bool taken) {
        EmptyCellSurvey s;
        s.start(word, cells);
        s.occupiedRoom()[0] = 5;
        s.occupiedRoom()[1] = 900;
        if (taken)
            s.finish(40.0, -2.0, 2);
        return s;
    };
    d.raster.FindShadeRange(d.world());
    const long double scannedMax = d.raster.ShadeRangeMax();
    const long double scannedMin = d.raster.ShadeRangeMin();
    ASSERT_NE(scannedMax, 40.0L);

    for (const EmptyCellSurvey& other : {made(TrackWord, count, true), made(ReturnTrackWord, count - 1, true),
                                         made(ReturnTrackWord, count, false)}) {
        d.raster.FindShadeRange(d.world(), other);
        EXPECT_EQ(d.raster.ShadeRangeMax(), scannedMax) << other.word() << " " << other.cellCount();
        EXPECT_EQ(d.raster.ShadeRangeMin(), scannedMin) << other.word() << " " << other.cellCount();
    }

    // Taken as it is: the range, and the cells the repaint draws.
    d.raster.FindShadeRange(d.world(), made(ReturnTrackWord, count, true));
    EXPECT_EQ(d.raster.ShadeRangeMax(), 40.0L);
    EXPECT_EQ(d.raster.ShadeRangeMin(), -2.0L);
    for (TCell* c : {&d.cell(5, 0), &d.cell(900 % 202, 900 / 202), &d.cell(7, 7)})
        c->TrackValue = 1234.5;
    d.raster.RepaintCells(d.world());
    EXPECT_EQ(d.world().Cells.look(5, 0).LastDrawnValue, 1234.5);
    EXPECT_EQ(d.world().Cells.look(900 % 202, 900 / 202).LastDrawnValue, 1234.5);
    EXPECT_NE(d.world().Cells.look(7, 7).LastDrawnValue, 1234.5) << "a cell the notes do not list";

    // The bounds' start values as a scan has them: 0.1L for the top, and
    // 99999999999 for the bottom.
    EmptyCellSurvey low;
    low.start(ReturnTrackWord, count);
    low.finish(0.05, 2e11, 0);
    d.raster.FindShadeRange(d.world(), low);
    EXPECT_EQ(d.raster.ShadeRangeMax(), 0.1L);
    EXPECT_EQ(d.raster.ShadeRangeMin(), 99999999999.0L);
}

TEST(WorldRaster, LandUseColoursWithHiddenLandUseAndAllBlack)
{
    Drawn d;
    d.clearCells();
    const int32_t uses[] = {Barrier, Residential, Destination, Service, Industry};
    for (int k = 0; k < 5; ++k) {
        d.cell(10 + k, 20).LandUse = uses[k];
        d.cell(10 + k, 20).TrackValue = 6.0 + k; // shown where the land use is hidden
    }
    d.cell(20, 20).TrackValue = 20; // the top of the scale
    d.reg().setChecked(Ctl::CB_showAB, false);
    const auto grey = [](double v) { return ShadePixel(ShadeOf(v, 20, 0)); };
    struct Case {
        bool hide, allBlack;
        uint32_t expected[5];
    } cases[] = {
        {false, false, {PixelNavy, PixelGreen, PixelLime, PixelRed, PixelHotTrack}},
        {true, false, {PixelNavy, grey(7), grey(8), grey(9), grey(10)}},
        {false, true, {PixelNavy, PixelBlack, PixelWhite, PixelBlack, PixelBlack}},
        {true, true, {PixelNavy, PixelBlack, PixelWhite, PixelBlack, PixelBlack}}, // all black wins
    };
    for (const Case& c : cases) {
        d.reg().setChecked(Ctl::cb_noDesti, c.hide);
        d.reg().setChecked(Ctl::Cb_allBlack, c.allBlack);
        d.sim.RepaintAll();
        for (int k = 0; k < 5; ++k) {
            EXPECT_EQ(hex(d.pixelOf(10 + k, 20)), hex(c.expected[k])) << uses[k] << " " << c.hide << c.allBlack;
            EXPECT_EQ(d.world().Cells.look(10 + k, 20).LastDrawnValue, 6.0 + k);
        }
    }
    EXPECT_EQ(d.pixelOf(20, 20), PixelBlack);
    EXPECT_EQ(d.world().Cells.look(20, 20).Shade, 0);
    EXPECT_EQ(d.pixelOf(30, 30), PixelWhite);

    // Codes that are no land use take the colours of the draw codes beyond
    // the land uses where they meet them (6 black, 7 white), else black.
    d.reg().setChecked(Ctl::cb_noDesti, false);
    d.reg().setChecked(Ctl::Cb_allBlack, false);
    const int32_t odd[] = {6, 7, 8, 77, -1, std::numeric_limits<int32_t>::min()};
    const uint32_t oddColour[] = {PixelBlack, PixelWhite, PixelBlack, PixelBlack, PixelBlack, PixelBlack};
    for (int k = 0; k < 6; ++k) {
        d.cell(40 + k, 20).LandUse = odd[k];
        // The opposite of its colour, were it shaded.
        d.cell(40 + k, 20).TrackValue = oddColour[k] == PixelWhite ? 20 : 0;
    }
    d.sim.RepaintAll();
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(hex(d.pixelOf(40 + k, 20)), hex(oddColour[k])) << odd[k];
}

TEST(WorldRaster, DefaultViewShowsLandUseOnWhiteWithoutTrackMarks)
{
    Drawn d;
    for (int i = 0; i < 60; ++i)
        d.sim.Step();
    const std::set<uint32_t> landUse{PixelWhite, PixelNavy, PixelGreen, PixelLime, PixelRed, PixelHotTrack};
    for (const uint32_t p : d.raster.CellLayer().pixels)
        ASSERT_TRUE(landUse.count(p)) << hex(p);
    int marked = 0;
    for (int y = 0; y < 202; ++y) {
        for (int x = 0; x < 202; ++x) {
            const TCell& c = d.cell(x, y);
            if (c.LandUse == Empty || c.LandUse == Residential) {
                ASSERT_EQ(d.pixelOf(x, y), c.LandUse == Empty ? PixelWhite : PixelGreen) << x << ", " << y;
            }
            marked += c.LandUse == Empty && c.ReturnTrackValue > 0;
        }
    }
    EXPECT_GT(marked, 0) << "no return marks to hide";
    EXPECT_EQ(d.raster.CellShadeMax(), d.raster.ShadeRangeMax()) << "the repaint gives the cells the range";

    // Painted after the step's range: a repaint without a new range must
    // still find the new barriers among the cells with land use.
    d.sim.MouseDown(MouseButton::Left, false);
    d.sim.MouseMove(201, 201); // cell (100, 100) and its neighbours
    d.sim.MouseUp();
    d.raster.RepaintCells(d.world());
    EXPECT_EQ(hex(d.pixelOf(99, 101)), hex(PixelNavy));
}

TEST(WorldRaster, TrackViewsRedrawCellsWhoseTrackMovedByMoreThanOne)
{
    Drawn d;
    d.clearCells();
    d.reg().setChecked(Ctl::CB_showOrig, false); // the return tracks view
    d.cell(0, 0).ReturnTrackValue = 100;
    for (int x = 1; x <= 3; ++x)
        d.cell(x, 0).ReturnTrackValue = 50;
    d.raster.FindShadeRange(d.world());
    d.raster.RedrawAllCells(d.world());
    const uint32_t before = d.pixelOf(1, 0);
    ASSERT_EQ(before, ShadePixel(ShadeOf(50, 100, 0)));

    // A new top of the scale would darken all three; only a TrackValue
    // moved by more than 1.0 since the last drawing redraws.
    d.cell(0, 0).ReturnTrackValue = 60;
    d.cell(1, 0).TrackValue = 1.0;
    d.cell(2, 0).TrackValue = 1.01;
    d.cell(3, 0).TrackValue = -1.5;
    d.raster.FindShadeRange(d.world());
    d.raster.RepaintCells(d.world());
    const uint32_t after = ShadePixel(ShadeOf(50, 60, 0));
    EXPECT_EQ(hex(d.pixelOf(1, 0)), hex(before));
    EXPECT_EQ(d.world().Cells.look(1, 0).LastDrawnValue, 0.0);
    EXPECT_EQ(hex(d.pixelOf(2, 0)), hex(after));
    EXPECT_EQ(d.world().Cells.look(2, 0).LastDrawnValue, 1.01);
    EXPECT_EQ(hex(d.pixelOf(3, 0)), hex(after));

    // Also when the source is not the tracks.
    d.cell(1, 0).TrackValue = 2.5;
    d.cell(1, 0).Potential[0] = 1e6;
    d.raster.DrawCellIfChanged(d.world(), 1, 0, ShadeSource::Potential, false);
    EXPECT_EQ(d.pixelOf(1, 0), PixelBlack);
    d.cell(1, 0).Potential[0] = 0;
    d.raster.DrawCellIfChanged(d.world(), 1, 0, ShadeSource::Potential, false);
    EXPECT_EQ(d.pixelOf(1, 0), PixelBlack) << "TrackValue did not move: no redraw";
}

TEST(WorldRaster, OddCellSizeLeavesAWhiteLineBetweenSquaresAndEdgesClip)
{
    Drawn d("3");
    ASSERT_EQ(d.world().Cells.countX(), 135);
    d.setLandUse(Residential);
    d.sim.RepaintAll();
    for (int y = 0; y < 404; ++y)
        for (int x = 0; x < 404; ++x)
            ASSERT_EQ(d.raster.CellLayer().at(x, y), x % 3 == 2 || y % 3 == 2 ? PixelWhite : PixelGreen)
                << x << ", " << y;

    // Squares past a smaller layer's edge are cut off there.
    Drawn small("2", 401, 399);
    small.setLandUse(Service);
    small.sim.RepaintAll();
    EXPECT_EQ(small.raster.CellLayer().pixels, std::vector<uint32_t>(401 * 399, PixelRed));
}

TEST(WorldRaster, AgentsAreDotsOverTheCellsAndClearingShowsTheCellsAgain)
{
    Drawn d;
    World& w = d.world();
    w.Agents.resize(4);
    const int placed[4][3] = {{10, 10, Searching}, {11, 10, Returning}, {0, 403, Searching}, {500, 5, Searching}};
    for (int i = 0; i < 4; ++i) {
        w.Agents[i].PixelX = placed[i][0];
        w.Agents[i].PixelY = placed[i][1];
        w.Agents[i].State = placed[i][2];
    }
    d.cell(4, 4).LandUse = Industry; // pixels 8..9
    d.sim.DrawChangedCell(4, 4);
    const uint64_t before = d.raster.version();
    d.raster.DrawAgents(w);
    EXPECT_GT(d.raster.version(), before);
    EXPECT_FALSE(d.raster.AgentLayerClear());

    // The later agent's outline covers the earlier one's centre; the corners
    // stay clear; the dot in the corner is cut off; the last is off the layer.
    const PixelLayer& agents = d.raster.AgentLayer();
    const std::vector<std::pair<int, int>> grey{{10, 9}, {9, 10}, {10, 10}, {12, 10}, {10, 11},
                                                {11, 9}, {11, 11}, {1, 403}, {0, 402}};
    for (const auto& [x, y] : grey)
        EXPECT_EQ(hex(agents.at(x, y)), hex(PixelGrey)) << x << ", " << y;
    EXPECT_EQ(hex(agents.at(11, 10)), hex(PixelLime));
    EXPECT_EQ(hex(agents.at(0, 403)), hex(PixelRed));
    int drawn = 0;
    for (const uint32_t p : agents.pixels)
        drawn += p != PixelClear;
    EXPECT_EQ(drawn, 11);

    const std::vector<uint32_t> composed = d.raster.Compose();
    EXPECT_EQ(hex(composed[9 * 404 + 9]), hex(PixelHotTrack)) << "the cell shows through a clear corner";
    for (size_t i = 0; i < composed.size(); ++i)
        ASSERT_EQ(composed[i], agents.pixels[i] != PixelClear ? agents.pixels[i] : d.raster.CellLayer().pixels[i]);

    d.raster.ClearAgentLayer();
    EXPECT_TRUE(d.raster.AgentLayerClear());
    EXPECT_EQ(agents.pixels, std::vector<uint32_t>(404 * 404, PixelClear));
    EXPECT_EQ(d.raster.Compose(), d.raster.CellLayer().pixels);
    const uint64_t cleared = d.raster.version();
    d.raster.ClearAgentLayer();
    EXPECT_EQ(d.raster.version(), cleared) << "clearing a clear layer changes nothing";
}

TEST(WorldRaster, DotsAtTheLayersEdgesAreCutOffThere)
{
    Drawn d;
    PlainPainter plain;
    plain.CreateLayers(d.world());
    World& w = d.world();
    w.Agents.clear();
    const int near[] = {-2, -1, 0, 1, 2, 401, 402, 403, 404, 405};
    for (const int x : near) {
        for (const int y : near) {
            TAgent a;
            a.PixelX = x;
            a.PixelY = y;
            a.State = (x + y) % 2 == 0 ? Searching : Returning;
            w.Agents.push_back(a);
        }
    }
    const auto expectSame = [&](const std::string& what) {
        ASSERT_EQ(d.raster.AgentLayer().pixels.size(), plain.agentPixels.size());
        for (size_t i = 0; i < plain.agentPixels.size(); ++i)
            ASSERT_EQ(d.raster.AgentLayer().pixels[i], plain.agentPixels[i])
                << what << ": pixel " << i % 404 << ", " << i / 404 << ": " << hex(d.raster.AgentLayer().pixels[i])
                << " for " << hex(plain.agentPixels[i]);
    };
    // One at a time, so that no dot covers what another put wrong, then all.
    for (const TAgent& a : w.Agents) {
        d.raster.ClearAgentLayer();
        plain.ClearAgentLayer();
        d.raster.DrawAgent(a);
        plain.DrawAgents(World{{}, {a}});
        expectSame("the dot at " + std::to_string(a.PixelX) + ", " + std::to_string(a.PixelY));
        if (HasFatalFailure())
            return;
    }
    d.raster.ClearAgentLayer();
    plain.ClearAgentLayer();
    d.raster.DrawAgents(w);
    plain.DrawAgents(w);
    expectSame("every dot");
    d.raster.ClearAgentLayer();
    EXPECT_EQ(d.raster.AgentLayer().pixels, std::vector<uint32_t>(404 * 404, PixelClear));

    // No dot on the layer: nothing drawn, and the layer stays clear.
    w.Agents.resize(1);
    w.Agents[0].PixelX = -2;
    const uint64_t before = d.raster.version();
    d.raster.DrawAgents(w);
    EXPECT_TRUE(d.raster.AgentLayerClear());
    EXPECT_EQ(d.raster.version(), before);
}

TEST(WorldRaster, PotentialViewShadesEveryEmptyCellByTheChosenField)
{
    Drawn d;
    d.reg().setChecked(Ctl::CB_potField, true);
    d.reg().setItemIndex(Ctl::CB_FieldNr, 1);
    for (int i = 0; i < 30; ++i)
        d.sim.Step();
    long double hi = 0.1L, lo = 99999999999.0L;
    for (size_t i = 0; i < d.world().Cells.size(); ++i) {
        const TCell& c = d.world().Cells.data()[i];
        if (c.LandUse == Empty) {
            hi = std::max<long double>(hi, c.Potential[1]);
            lo = std::min<long double>(lo, c.Potential[1]);
        }
    }
    std::set<int32_t> shades;
    for (int y = 0; y < 202; ++y) {
        for (int x = 0; x < 202; ++x) {
            if (d.cell(x, y).LandUse != Empty)
                continue;
            const int32_t shade = ShadeOf(d.cell(x, y).Potential[1], hi, lo);
            ASSERT_EQ(d.world().Cells.look(x, y).Shade, shade) << x << ", " << y;
            ASSERT_EQ(d.pixelOf(x, y), ShadePixel(shade)) << x << ", " << y;
            shades.insert(shade);
        }
    }
    EXPECT_GT(shades.size(), 100u) << "a field of one grey";
    EXPECT_TRUE(shades.count(0) && shades.count(255)) << "the ends of the range are black and white";
}

TEST(WorldRaster, AllCellsWhiteLeavesTheCellLayerWhite)
{
    Drawn d;
    d.reg().setChecked(Ctl::CB_noTracks, true);
    d.reg().setChecked(Ctl::CB_showAg, true);
    d.reg().setChecked(Ctl::CB_showAB, false);
    const long double cellMax = d.raster.CellShadeMax();
    for (int i = 0; i < 20; ++i)
        d.sim.Step();
    EXPECT_EQ(d.raster.CellLayer().pixels, std::vector<uint32_t>(404 * 404, PixelWhite));
    EXPECT_FALSE(d.raster.AgentLayerClear()) << "the agents are still drawn";
    EXPECT_NE(d.raster.ShadeRangeMax(), cellMax);
    EXPECT_EQ(d.raster.CellShadeMax(), cellMax) << "the repaint copies no range into the cells";
    ASSERT_TRUE(d.sim.NewSetup());
    EXPECT_EQ(d.raster.CellShadeMax(), 1.0L) << "a new world keeps the range of the cell reset";
    EXPECT_EQ(d.raster.CellShadeMin(), 0.0L);
}

TEST(WorldRaster, WithoutLayersEveryCallIsSafe)
{
    WorldRaster raster;
    Simulation sim(nullptr, 3);
    sim.Create(); // built with no painter: the raster never saw this world
    sim.Step();
    const auto everything = [&] {
        raster.FindShadeRange(sim.worldForTest());
        raster.ClearAgentLayer();
        raster.RepaintCells(sim.worldForTest());
        raster.RedrawAllCells(sim.worldForTest());
        raster.DrawAgents(sim.world());
        raster.DrawCell(sim.worldForTest(), 5, 5, ShadeSource::Track, false);
        raster.DrawCell(sim.worldForTest(), -1, 500, ShadeSource::Track, false);
        raster.DrawCellIfChanged(sim.worldForTest(), 5, 5, ShadeSource::Potential, true);
        EXPECT_EQ(raster.CellLayer().width, 0);
        EXPECT_TRUE(raster.AgentLayer().pixels.empty());
        EXPECT_TRUE(raster.Compose().empty());
    };
    everything();
    sim.setPainter(&raster);
    ASSERT_TRUE(sim.NewSetup());
    EXPECT_EQ(raster.CellLayer().width, 404);
    sim.FreeWorld();
    everything();
}

// The raster's shortcuts against the plain drawing, pixel for pixel and cell
// for cell, over whole runs that pass through every view and every way a
// cell gets drawn.
// Each with the cell sizes of both kinds and both kernel choices, whose
// field rescales survey the empty cells for the raster.
class RasterAgainstPlain : public ::testing::TestWithParam<std::tuple<const char*, GridKernels>> {};

TEST_P(RasterAgainstPlain, SamePixelsInEveryViewAndStep)
{
    const auto [cellSize, kernels] = GetParam();
    if (!GridKernelsAvailable(kernels))
        GTEST_SKIP() << "this processor has no AVX-512";
    WorldRaster raster;
    PlainPainter plain;
    Simulation fast(nullptr, 23), slow(nullptr, 23);
    fast.setKernels(kernels);
    slow.setKernels(kernels);
    fast.setPainter(&raster);
    slow.setPainter(&plain);
    const auto both = [&](const auto& action) {
        action(fast);
        action(slow);
    };
    both([&](Simulation& s) {
        s.controls().setText(Ctl::Edit_size, cellSize);
        s.controls().setText(Ctl::E_crAgs, "6");
        s.controls().setChecked(Ctl::CB_migrate, true);
        s.Create();
    });

    const auto expectSame = [&](const std::string& where) {
        ASSERT_EQ(raster.CellLayer().pixels.size(), plain.cellPixels.size()) << where;
        for (size_t i = 0; i < plain.cellPixels.size(); ++i) {
            ASSERT_EQ(raster.CellLayer().pixels[i], plain.cellPixels[i]) << where << ", cell layer pixel " << i;
            ASSERT_EQ(raster.AgentLayer().pixels[i], plain.agentPixels[i]) << where << ", agent layer pixel " << i;
        }
        ASSERT_EQ(raster.ShadeRangeMax(), plain.rangeMax) << where;
        ASSERT_EQ(raster.ShadeRangeMin(), plain.rangeMin) << where;
        for (size_t i = 0; i < fast.world().Cells.size(); ++i) {
            const TCellLook& a = fast.world().Cells.looks()[i];
            const TCellLook& b = slow.world().Cells.looks()[i];
            ASSERT_EQ(a.Shade, b.Shade) << where << ", cell " << i;
            ASSERT_EQ(std::bit_cast<uint64_t>(a.LastDrawnValue), std::bit_cast<uint64_t>(b.LastDrawnValue))
                << where << ", cell " << i;
            ASSERT_EQ(raster.CellShadeMax(), plain.shadeMax[i]) << where << ", cell " << i;
            ASSERT_EQ(raster.CellShadeMin(), plain.shadeMin[i]) << where << ", cell " << i;
            ASSERT_EQ(raster.ShownField(), plain.shownField[i]) << where << ", cell " << i;
        }
    };
    const auto steps = [&](int n, const std::string& view) {
        for (int i = 0; i < n && !HasFatalFailure(); ++i) {
            both([](Simulation& s) { s.Step(); });
            expectSame(view + ", step " + std::to_string(fast.stepCount()));
        }
    };
    const auto set = [&](Ctl box, bool on) { both([&](Simulation& s) { s.controls().setChecked(box, on); }); };
    const auto paint = [&](MouseButton button, bool ctrl, int x, int y) {
        both([&](Simulation& s) {
            s.MouseDown(button, ctrl);
            s.MouseMove(x, y);
            s.MouseMove(x + 7, y + 3);
            s.MouseUp();
        });
    };

    expectSame("after setup");
    steps(12, "default view");
    paint(MouseButton::Left, false, 40, 40);  // barriers
    paint(MouseButton::Left, true, 120, 200); // homes
    expectSame("painted");
    steps(4, "default view, painted");
    paint(MouseButton::Right, false, 40, 40); // erased, shaded until the next step
    set(Ctl::cb_noDesti, true);
    steps(6, "land use hidden");
    set(Ctl::Cb_allBlack, true);
    steps(6, "all black, hidden");
    set(Ctl::cb_noDesti, false);
    steps(6, "all black");
    set(Ctl::Cb_allBlack, false);
    set(Ctl::CB_showOrig, false);
    set(Ctl::CB_showAg, true);
    steps(10, "return tracks view with agents");
    set(Ctl::CB_decay, true); // marks fade by less than 1.0 at a time
    set(Ctl::CB_showAB, false);
    steps(10, "tracks view with agents, decaying");
    paint(MouseButton::Right, false, 120, 200);
    steps(3, "tracks view, erased");
    set(Ctl::CB_potField, true);
    both([](Simulation& s) { s.controls().setItemIndex(Ctl::CB_FieldNr, 2); });
    steps(8, "field 3 view");
    set(Ctl::CB_showOrig, true);
    steps(8, "field 3 view, no tracks");
    both([](Simulation& s) { s.RepaintAll(); });
    expectSame("repaint all");
    set(Ctl::CB_noTracks, true);
    steps(5, "all cells white");
    paint(MouseButton::Left, false, 300, 100);
    expectSame("painted on white");
    set(Ctl::CB_noTracks, false);
    both([](Simulation& s) { s.RepaintAll(); });
    set(Ctl::CB_potField, false);
    set(Ctl::CB_showAB, true);
    steps(8, "default view again");
    set(Ctl::CB_showAg, false);
    steps(3, "default view, agents hidden");
    both([](Simulation& s) { ASSERT_TRUE(s.NewSetup()); });
    expectSame("new setup");
    steps(5, "default view, new world");
    EXPECT_EQ(fast.stepCount(), 5);
}

INSTANTIATE_TEST_SUITE_P(CellSizes, RasterAgainstPlain,
                         ::testing::Combine(::testing::Values("2", "3"),
                                            ::testing::Values(GridKernels::Avx512, GridKernels::Portable)),
                         [](const auto& info) {
                             return std::string("CellSize") + std::get<0>(info.param)
                                 + (std::get<1>(info.param) == GridKernels::Portable ? "Portable" : "");
                         });
