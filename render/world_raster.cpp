#include "render/world_raster.h"

#include "model/range_scan.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <span>

namespace landuse {

namespace {

// The extended real nearest 0.1, not the double.
constexpr long double ShadeRangeMaxStart = 0.1L;
constexpr double ShadeRangeMinStart = 99999999999.0;

// Draw codes beyond the land uses.
constexpr int32_t CodeBlack = 6;
constexpr int32_t CodeWhite = 7;

// The colour of each draw code, but Empty's, which is a shade and never
// read here; codes past these are black.
constexpr uint32_t CodeColours[] = {PixelWhite, PixelNavy,     PixelGreen, PixelLime,
                                    PixelRed,   PixelHotTrack, PixelBlack, PixelWhite};
static_assert(std::size(CodeColours) == CodeWhite + 1 && CodeColours[CodeBlack] == PixelBlack);

} // namespace

GreyScale::GreyScale(long double max, long double min)
    : max_(max), min_(min), scale_(255.0L / (max - min)), span_(max != min), quickMin_(double(min)),
      quickScale_(double(scale_))
{
    quick_ = span_ && (long double)quickMin_ == min && std::isfinite(quickScale_)
        && (quickScale_ == 0 || std::fabs(quickScale_) >= std::numeric_limits<double>::min());
}

[[gnu::always_inline]] inline uint32_t WorldRaster::colourOf(const TCell& cell, TCellLook& look, ShadeSource source, bool hide) const
{
    int32_t code = cell.LandUse;
    if (hide && cell.LandUse >= Residential)
        code = Empty;
    // Wins over hide; barriers are never affected by either.
    if (look.AllBlack && cell.LandUse >= Residential)
        code = cell.LandUse == Destination ? CodeWhite : CodeBlack;
    if (code == Empty) {
        const double v = source == ShadeSource::Track         ? cell.TrackValue
                         : source == ShadeSource::ReturnTrack ? cell.ReturnTrackValue
                                                              : cell.Potential[shownField_];
        look.Shade = cellScale_.shade(v);
        return ShadePixel(look.Shade);
    }
    // A table rather than a switch: the land uses of neighbouring cells in
    // a repaint mix, and a jump on each would often go the wrong way.
    return uint32_t(code) < std::size(CodeColours) ? CodeColours[code] : PixelBlack;
}

WorldRaster::WorldRaster(int width, int height) : width_(std::max(width, 0)), height_(std::max(height, 0)) {}

void WorldRaster::CreateLayers(const World& world)
{
    const size_t pixels = size_t(width_) * size_t(height_);
    cellLayer_ = {width_, height_, std::vector<uint32_t>(pixels, PixelWhite)};
    agentLayer_ = {width_, height_, std::vector<uint32_t>(pixels, PixelClear)};
    countX_ = world.Cells.countX();
    countY_ = world.Cells.countY();
    const size_t cells = world.Cells.size();
    colour_.assign(cells, PixelWhite);
    listed_.assign(cells, 0);
    drawn_.clear();
    drawn_.reserve(cells);
    allDrawn_ = false;
    landUse_.assign(cells, 0);
    landUseFirst_ = cells;
    notedWorld_ = nullptr;
    cellScale_ = GreyScale(1.0L, 0.0L);
    shownField_ = 0;
    agentClear_ = true;
    dotsOverflow_ = false;
    dots_.clear();
    dots_.reserve(std::min<size_t>(pixels / 5, 4096));
    ++version_;
}

void WorldRaster::FreeLayers()
{
    cellLayer_ = {};
    agentLayer_ = {};
    countX_ = countY_ = 0;
    colour_ = {};
    listed_ = {};
    drawn_ = {};
    allDrawn_ = false;
    landUse_ = {};
    landUseFirst_ = 0;
    notedWorld_ = nullptr;
    agentClear_ = true;
    dotsOverflow_ = false;
    dots_ = {};
    ++version_;
}

bool WorldRaster::fits(const World& world) const
{
    return cellLayer_.width > 0 && world.Cells.countX() == countX_ && world.Cells.countY() == countY_;
}

int WorldRaster::shadeWordNow() const
{
    return view_.source() == ShadeSource::Potential ? shownFieldNow() : view_.shadeWord();
}

void WorldRaster::setRange(double hi, double lo)
{
    rangeMax_ = (long double)hi > ShadeRangeMaxStart ? (long double)hi : ShadeRangeMaxStart;
    rangeMin_ = lo < ShadeRangeMinStart ? lo : ShadeRangeMinStart;
}

void WorldRaster::FindShadeRange(World& world, const EmptyCellSurvey& emptyCells)
{
    const size_t count = world.Cells.size();
    if (!emptyCells.taken() || emptyCells.word() != shadeWordNow() || emptyCells.cellCount() != count) {
        FindShadeRange(world);
        return;
    }
    shownField_ = shownFieldNow();
    const std::span<const uint32_t> occupied = emptyCells.occupied();
    if (landUse_.size() != count)
        landUse_.assign(count, 0);
    landUseFirst_ = count - occupied.size();
    std::copy(occupied.begin(), occupied.end(), landUse_.begin() + std::ptrdiff_t(landUseFirst_));
    setRange(emptyCells.high(), emptyCells.low());
    notedWorld_ = &world;
}

void WorldRaster::FindShadeRange(World& world)
{
    shownField_ = shownFieldNow();
    const ShadeSource source = view_.source();
    const TCell* cells = world.Cells.data();
    const size_t count = world.Cells.size();

    // In double: the minimum starts at a double, and the maximum's start at
    // 0.1L is settled once at the end. Strict compares keep NaN out. The
    // bounds do not depend on the order of the cells (but for the sign of a
    // zero minimum, which shades nothing differently), so four chains of
    // compares share the cells rather than wait on one. The scan runs from
    // the last cell back, which is where a pass over the grid from the first
    // leaves the cache warm.
    constexpr int Chains = 4;
    double hi[Chains], lo[Chains];
    std::fill_n(hi, Chains, -std::numeric_limits<double>::infinity());
    std::fill_n(lo, Chains, ShadeRangeMinStart);
    if (landUse_.size() != count)
        landUse_.assign(count, 0);
    uint32_t* noted = landUse_.data() + count;
    const auto scan = [&](auto value) {
        const auto add = [&](size_t i, int chain) {
            const TCell& cell = cells[i];
            if (cell.LandUse != Empty) {
                *--noted = uint32_t(i);
                return;
            }
            const double v = value(cell);
            hi[chain] = v > hi[chain] ? v : hi[chain];
            lo[chain] = v < lo[chain] ? v : lo[chain];
        };
        size_t i = count;
        for (; i >= Chains; i -= Chains)
            for (int chain = Chains - 1; chain >= 0; --chain)
                add(i - Chains + size_t(chain), chain);
        while (i-- > 0)
            add(i, 0);
    };
    switch (source) {
    case ShadeSource::Track:
        scan([](const TCell& c) { return c.TrackValue; });
        break;
    case ShadeSource::ReturnTrack:
        scan([](const TCell& c) { return c.ReturnTrackValue; });
        break;
    case ShadeSource::Potential:
        scan([k = shownField_](const TCell& c) { return c.Potential[k]; });
        break;
    }
    landUseFirst_ = size_t(noted - landUse_.data());
    for (int chain = 1; chain < Chains; ++chain) {
        hi[0] = hi[chain] > hi[0] ? hi[chain] : hi[0];
        lo[0] = lo[chain] < lo[0] ? lo[chain] : lo[0];
    }
    setRange(hi[0], lo[0]);
    notedWorld_ = &world;
}

void WorldRaster::ClearAgentLayer()
{
    if (agentClear_)
        return;
    if (dotsOverflow_)
        std::fill(agentLayer_.pixels.begin(), agentLayer_.pixels.end(), PixelClear);
    else
        for (const Dot& d : dots_)
            putDot(d.x, d.y, PixelClear, PixelClear);
    dots_.clear();
    dotsOverflow_ = false;
    agentClear_ = true;
    ++version_;
}

void WorldRaster::RepaintCells(World& world)
{
    const DisplayOptions& view = view_;
    const bool paint = fits(world);
    if (view.noTracks) {
        // The whole layer white, and no cell drawn.
        if (paint)
            whitenDrawn(world);
        notedWorld_ = nullptr;
        return;
    }
    if (view.potField) {
        // Every cell is drawn, so the white fill before it cannot show, and
        // drawing the cells with land use again with the same range and
        // source, or those whose TrackValue moved since, changes nothing.
        RedrawAllCells(world);
        return;
    }
    cellScale_ = GreyScale(rangeMax_, rangeMin_);
    const ShadeSource source = view.source();
    if (view.showOrig) {
        repaintLandUse(world, source, view.hideLandUse);
        return;
    }
    notedWorld_ = nullptr;
    const TCell* cells = world.Cells.data();
    const TCellLook* looks = world.Cells.looks();
    for (size_t i = 0; i < world.Cells.size(); ++i)
        if (std::fabs(cells[i].TrackValue - looks[i].LastDrawnValue) > 1.0)
            drawCell(world, uint32_t(i), source, view.hideLandUse, paint);
}

void WorldRaster::RedrawAllCells(World& world)
{
    cellScale_ = GreyScale(rangeMax_, rangeMin_);
    notedWorld_ = nullptr;
    drawAll(world, view_.source(), view_.hideLandUse);
}

void WorldRaster::DrawAgents(const World& world)
{
    if (agentLayer_.width == 0)
        return;
    const size_t dotLimit = maxDots();
    bool drawn = false;
    for (const TAgent& agent : world.Agents)
        drawn |= drawAgent(agent, dotLimit);
    if (drawn) {
        agentClear_ = false;
        ++version_;
    }
}

void WorldRaster::DrawCell(World& world, int x, int y, ShadeSource source, bool hideLandUse)
{
    if (x < 0 || y < 0 || x >= world.Cells.countX() || y >= world.Cells.countY())
        return;
    notedWorld_ = nullptr;
    drawCell(world, uint32_t(size_t(y) * size_t(world.Cells.countX()) + size_t(x)), source, hideLandUse,
             fits(world));
}

void WorldRaster::DrawCellIfChanged(World& world, int x, int y, ShadeSource source, bool hideLandUse)
{
    if (x < 0 || y < 0 || x >= world.Cells.countX() || y >= world.Cells.countY())
        return;
    if (std::fabs(world.Cells.at(x, y).TrackValue - world.Cells.look(x, y).LastDrawnValue) > 1.0)
        DrawCell(world, x, y, source, hideLandUse);
}

void WorldRaster::DrawAgent(const TAgent& agent)
{
    if (agentLayer_.width == 0)
        return;
    if (drawAgent(agent, maxDots())) {
        agentClear_ = false;
        ++version_;
    }
}

// Past one dot for every five pixels, erasing them one by one costs more
// than clearing the layer.
size_t WorldRaster::maxDots() const
{
    return agentLayer_.pixels.size() / 5;
}

inline bool WorldRaster::drawAgent(const TAgent& agent, size_t dotLimit)
{
    const int x = agent.PixelX;
    const int y = agent.PixelY;
    // A dot wholly off the layer draws nothing.
    if (x < -1 || y < -1 || x > agentLayer_.width || y > agentLayer_.height)
        return false;
    putDot(x, y, agent.State == Returning ? PixelLime : PixelRed, PixelGrey);
    if (!dotsOverflow_) {
        if (dots_.size() < dotLimit)
            dots_.push_back({x, y});
        else
            dotsOverflow_ = true;
    }
    return true;
}

std::vector<uint32_t> WorldRaster::Compose() const
{
    std::vector<uint32_t> out(cellLayer_.pixels.size());
    ComposeInto(out.data());
    return out;
}

void WorldRaster::ComposeInto(uint32_t* out) const
{
    const uint32_t* cells = cellLayer_.pixels.data();
    const size_t count = cellLayer_.pixels.size();
    if (agentClear_) {
        std::copy(cells, cells + count, out);
        return;
    }
    const uint32_t* agents = agentLayer_.pixels.data();
    for (size_t i = 0; i < count; ++i)
        out[i] = agents[i] >> 24 != 0 ? agents[i] : cells[i];
}

void WorldRaster::drawCell(World& world, uint32_t i, ShadeSource source, bool hide, bool paint)
{
    const TCell& cell = world.Cells.data()[i];
    TCellLook& look = world.Cells.looks()[i];
    const uint32_t colour = colourOf(cell, look, source, hide);
    look.LastDrawnValue = cell.TrackValue;
    if (paint) {
        paintCell(look, i, colour);
        noteDrawn(i, colour);
    }
}

inline void WorldRaster::paintCell(const TCellLook& look, uint32_t i, uint32_t colour)
{
    if (colour_[i] == colour)
        return;
    colour_[i] = colour;
    ++version_;
    // The square from (PositionX - Size, PositionY - Size), right and
    // bottom edges excluded, within the layer.
    const int x0 = std::max(look.PositionX - look.Size, 0);
    const int x1 = std::min(look.PositionX + look.Size, cellLayer_.width);
    const int y0 = std::max(look.PositionY - look.Size, 0);
    const int y1 = std::min(look.PositionY + look.Size, cellLayer_.height);
    if (x0 >= x1 || y0 >= y1)
        return;
    uint32_t* row = cellLayer_.pixels.data() + size_t(y0) * size_t(cellLayer_.width);
    if (x1 - x0 == 2 && y1 - y0 == 2) {
        // The squares of cell sizes 2 and 3.
        row[x0] = row[x0 + 1] = colour;
        row += cellLayer_.width;
        row[x0] = row[x0 + 1] = colour;
        return;
    }
    for (int y = y0; y < y1; ++y, row += cellLayer_.width)
        for (int x = x0; x < x1; ++x)
            row[x] = colour;
}

void WorldRaster::noteDrawn(uint32_t i, uint32_t colour)
{
    if (allDrawn_ || listed_[i] || colour == PixelWhite)
        return;
    listed_[i] = 1;
    drawn_.push_back(i);
}

// Turns "every cell may be drawn" into the list of the cells that are.
void WorldRaster::listDrawn()
{
    if (!allDrawn_)
        return;
    drawn_.clear();
    for (size_t i = 0; i < colour_.size(); ++i) {
        listed_[i] = colour_[i] != PixelWhite;
        if (listed_[i])
            drawn_.push_back(uint32_t(i));
    }
    allDrawn_ = false;
}

// The white fill of the whole layer: only drawn squares can differ from it.
void WorldRaster::whitenDrawn(const World& world)
{
    listDrawn();
    const TCellLook* looks = world.Cells.looks();
    for (const uint32_t i : drawn_) {
        paintCell(looks[i], i, PixelWhite);
        listed_[i] = 0;
    }
    drawn_.clear();
}

void WorldRaster::drawAll(World& world, ShadeSource source, bool hide)
{
    const bool paint = fits(world);
    const size_t count = world.Cells.size();
    constexpr size_t Ahead = 24;
    for (size_t i = 0; i < count; ++i) {
        const TCell& cell = world.Cells.data()[i];
        TCellLook& look = world.Cells.looks()[i];
        if (i + Ahead < count) {
            __builtin_prefetch(&cell + Ahead);
            __builtin_prefetch(&look + Ahead, 1);
        }
        const uint32_t colour = colourOf(cell, look, source, hide);
        look.LastDrawnValue = cell.TrackValue;
        if (paint)
            paintCell(look, uint32_t(i), colour);
    }
    if (paint) {
        allDrawn_ = true;
        drawn_.clear();
    }
}

// The white fill, then every cell with land use drawn: the cells listed as
// drawn that have no land use now go white, those with land use take their
// colour, and only changed squares are painted.
void WorldRaster::repaintLandUse(World& world, ShadeSource source, bool hide)
{
    const size_t count = world.Cells.size();
    const TCell* cells = world.Cells.data();
    if (notedWorld_ != &world || landUse_.size() != count) {
        landUse_.resize(count);
        landUseFirst_ = count;
        for (size_t i = count; i-- > 0;)
            if (cells[i].LandUse != Empty)
                landUse_[--landUseFirst_] = uint32_t(i);
    }
    notedWorld_ = nullptr;
    const std::span<const uint32_t> landUse(landUse_.data() + landUseFirst_, landUse_.data() + count);

    TCellLook* looks = world.Cells.looks();
    if (!fits(world)) {
        for (const uint32_t i : landUse) {
            (void)colourOf(cells[i], looks[i], source, hide);
            looks[i].LastDrawnValue = cells[i].TrackValue;
        }
        return;
    }
    listDrawn();
    // Between growths the cells with land use are the ones drawn last time,
    // all listed: only their colours can change.
    const bool same = drawn_.size() == landUse.size() && std::equal(landUse.begin(), landUse.end(), drawn_.begin());
    if (!same)
        for (const uint32_t i : drawn_)
            listed_[i] = 0;
    // The cells with land use lie scattered over the grid: ask for the ones
    // a few ahead early, so that their loads overlap.
    constexpr size_t Ahead = 16;
    for (size_t k = 0; k < landUse.size(); ++k) {
        if (k + Ahead < landUse.size()) {
            __builtin_prefetch(&looks[landUse[k + Ahead]], 1);
            __builtin_prefetch(&cells[landUse[k + Ahead]].TrackValue);
        }
        const uint32_t i = landUse[k];
        const uint32_t colour = colourOf(cells[i], looks[i], source, hide);
        looks[i].LastDrawnValue = cells[i].TrackValue;
        paintCell(looks[i], i, colour);
    }
    if (same)
        return;
    for (const uint32_t i : landUse)
        listed_[i] = 1;
    for (const uint32_t i : drawn_)
        if (!listed_[i])
            paintCell(looks[i], i, PixelWhite);
    drawn_.assign(landUse.begin(), landUse.end());
}

// The 3 by 3 ellipse: the centre filled, its four neighbours the outline,
// the corners untouched. Nearly every dot lies within the layer, and those
// are put without a test per pixel.
inline void WorldRaster::putDot(int x, int y, uint32_t fill, uint32_t outline)
{
    PixelLayer& layer = agentLayer_;
    const int w = layer.width;
    if (x >= 1 && y >= 1 && x < w - 1 && y < layer.height - 1) {
        uint32_t* centre = layer.pixels.data() + size_t(y) * size_t(w) + size_t(x);
        centre[-w] = outline;
        centre[-1] = outline;
        centre[0] = fill;
        centre[1] = outline;
        centre[w] = outline;
        return;
    }
    const auto put = [&](int px, int py, uint32_t colour) {
        if (px >= 0 && py >= 0 && px < w && py < layer.height)
            layer.pixels[size_t(py) * size_t(w) + size_t(px)] = colour;
    };
    put(x, y - 1, outline);
    put(x - 1, y, outline);
    put(x, y, fill);
    put(x + 1, y, outline);
    put(x, y + 1, outline);
}

} // namespace landuse
