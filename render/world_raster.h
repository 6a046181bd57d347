#pragma once
// The core's painter: the drawing panel's two layers as pixel buffers in
// memory. A window wraps them as they are (CellLayer as an RGB32 image,
// AgentLayer as a premultiplied ARGB32 one) and repaints when version()
// moved; the runner saves the composed picture.

#include "render/world_painter.h"
#include "model/geometry.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace landuse {

// One layer, rows from the top, one 0xAARRGGBB word per pixel.
struct PixelLayer {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// The colours of the world, opaque 0xFFRRGGBB.
inline constexpr uint32_t PixelNavy = 0xFF000080;     // barrier
inline constexpr uint32_t PixelGreen = 0xFF008000;    // residential
inline constexpr uint32_t PixelLime = 0xFF00FF00;     // destination; returning agent
inline constexpr uint32_t PixelRed = 0xFFFF0000;      // service; searching agent
inline constexpr uint32_t PixelHotTrack = 0xFF0066CC; // industry
inline constexpr uint32_t PixelBlack = 0xFF000000;
inline constexpr uint32_t PixelWhite = 0xFFFFFFFF;
inline constexpr uint32_t PixelGrey = 0xFF808080;     // agent outline
// An erased pixel of the agent layer: see-through.
inline constexpr uint32_t PixelClear = 0x00000000;

// The grey of a shade, 0 black .. 255 white.
constexpr uint32_t ShadePixel(int32_t shade) { return 0xFF000000u | uint32_t(shade) * 0x010101u; }

// The grey scale from min (white) to max (black). The shade of a value is
// 255 - g rounded half to even, g = (v - min) * (255 / (max - min)) clamped
// to 0..255, in extended precision; white where the range has no span or g
// is not a number.
class GreyScale {
public:
    GreyScale(long double max, long double min);
    long double max() const { return max_; }
    long double min() const { return min_; }

    int32_t shade(double value) const
    {
        const double difference = value - quickMin_;
        if (quick_ && std::fabs(difference) <= std::numeric_limits<double>::max()) {
            // 255 - g + 1/2 in double lies within 1e-12 of the extended one,
            // so its floor is the shade unless it is that close to a whole
            // number, where 255 - g is close to a tie. Beyond the double's
            // range only the extended difference is right.
            const double t = 255.5 - difference * quickScale_;
            if (t >= 0 && t < 256) {
                const int32_t whole = int32_t(t);
                const double fraction = t - whole;
                if (fraction > 1e-9 && fraction < 1 - 1e-9)
                    return whole;
            } else if (t < 0) {
                return 0;
            } else if (t >= 256) {
                return 255;
            }
        }
        return exactShade(value);
    }
    int32_t exactShade(double value) const
    {
        if (!span_)
            return 255;
        long double g = ((long double)value - min_) * scale_;
        if (g != g)
            return 255;
        if (g > 255)
            g = 255;
        if (g < 0)
            g = 0;
        // 255 - g to the nearest integer, ties to even, like lrintl but
        // without the call: at 2^63 an extended real has no fraction left.
        const long double rounded = (255.0L - g + 0x1p63L) - 0x1p63L;
        return int32_t(double(rounded));
    }

private:
    long double max_;
    long double min_;
    long double scale_;
    bool span_;
    // The same in double, where that gives the same shades: min a double,
    // the scale a finite one.
    bool quick_;
    double quickMin_;
    double quickScale_;
};

inline int32_t ShadeOf(double value, long double max, long double min) { return GreyScale(max, min).shade(value); }

class WorldRaster : public WorldPainter {
public:
    explicit WorldRaster(int width = PanelWidth, int height = PanelHeight);

    void CreateLayers(const World& world) override;
    void FreeLayers() override;
    void setDisplayOptions(const DisplayOptions& options) override { view_ = options; }
    const DisplayOptions& displayOptions() const { return view_; }
    // Also notes the cells with land use for a RepaintCells that follows it
    // with nothing but ClearAgentLayer and DrawAgents between them, as in the
    // step and at setup; the cells must not change in between. Any other
    // call drops the notes, and the repaint then looks at every cell.
    void FindShadeRange(World& world) override;
    // The same without a pass over the grid, from a survey taken of the
    // cells as they are now (scans when it is not of the shaded word over
    // this world's cells).
    void FindShadeRange(World& world, const EmptyCellSurvey& emptyCells) override;
    void ClearAgentLayer() override;
    void RepaintCells(World& world) override;
    void RedrawAllCells(World& world) override;
    void DrawAgents(const World& world) override;
    void DrawCell(World& world, int x, int y, ShadeSource source, bool hideLandUse) override;
    // DrawCell when the cell's TrackValue moved by more than 1.0 since it was
    // last drawn, whatever the source shows.
    void DrawCellIfChanged(World& world, int x, int y, ShadeSource source, bool hideLandUse);
    void DrawAgent(const TAgent& agent);

    // Empty (width 0) before the first CreateLayers and after FreeLayers.
    // Both make new buffers: a view that wraps the pixels wraps them again
    // after either. Drawing changes pixels in place.
    const PixelLayer& CellLayer() const { return cellLayer_; }
    const PixelLayer& AgentLayer() const { return agentLayer_; }
    // Nothing drawn on the agent layer since it was last cleared.
    bool AgentLayerClear() const { return agentClear_; }
    // Rises with every change of either layer.
    uint64_t version() const { return version_; }

    // The world as the panel shows it: the cells with the agents on top,
    // where the agent layer is clear the cell layer shows. 0xFFRRGGBB, the
    // cell layer's size; empty without layers.
    std::vector<uint32_t> Compose() const;
    // The same into width * height words.
    void ComposeInto(uint32_t* out) const;

    // The grey scale as FindShadeRange last found it, and the copy of it that
    // every cell holds (the one DrawCell uses), with the field index it uses.
    long double ShadeRangeMax() const { return rangeMax_; }
    long double ShadeRangeMin() const { return rangeMin_; }
    long double CellShadeMax() const { return cellScale_.max(); }
    long double CellShadeMin() const { return cellScale_.min(); }
    int32_t ShownField() const { return shownField_; }

private:
    // The field the potential view shows: the options' field, or the last
    // one when they name none.
    int32_t shownFieldNow() const { return view_.namesField() ? view_.field : shownField_; }
    // The word the shade range is taken of.
    int shadeWordNow() const;
    // The range from the bounds over the empty cells, taken from -infinity
    // and infinity.
    void setRange(double hi, double lo);

    // Whether the layers were made for this world's grid.
    bool fits(const World& world) const;
    // Draws cell i as DrawCell does: its colour, Shade, LastDrawnValue; paints
    // when `paint` (the layers fit).
    void drawCell(World& world, uint32_t i, ShadeSource source, bool hide, bool paint);
    uint32_t colourOf(const TCell& cell, TCellLook& look, ShadeSource source, bool hide) const;
    void paintCell(const TCellLook& look, uint32_t i, uint32_t colour);
    void noteDrawn(uint32_t i, uint32_t colour);
    void listDrawn();
    void whitenDrawn(const World& world);
    void drawAll(World& world, ShadeSource source, bool hide);
    void repaintLandUse(World& world, ShadeSource source, bool hide);
    // Paints the agent's dot and notes it; false when it is off the layer.
    bool drawAgent(const TAgent& agent, size_t dotLimit);
    size_t maxDots() const;
    void putDot(int x, int y, uint32_t fill, uint32_t outline);

    int width_;
    int height_;
    PixelLayer cellLayer_;
    PixelLayer agentLayer_;
    uint64_t version_ = 0;
    DisplayOptions view_;

    long double rangeMax_ = 0.1L;
    long double rangeMin_ = 99999999999.0L;
    GreyScale cellScale_{1.0L, 0.0L};
    int32_t shownField_ = 0;

    // Every square of a cell lies inside the cell and squares never meet, so
    // the cell layer is white but where a cell's square has another colour:
    // colour_ holds each square's colour, and drawn_ lists every cell whose
    // square may not be white (all of them when allDrawn_), each once
    // (listed_). Only squares whose colour changes are painted.
    int countX_ = 0;
    int countY_ = 0;
    std::vector<uint32_t> colour_;
    std::vector<uint8_t> listed_;
    std::vector<uint32_t> drawn_;
    bool allDrawn_ = false;

    // FindShadeRange's notes: the cells with land use, in row order, from
    // landUseFirst_ to the end of landUse_ (one word per cell, filled from
    // the back).
    std::vector<uint32_t> landUse_;
    size_t landUseFirst_ = 0;
    const World* notedWorld_ = nullptr;

    // The agent layer holds only the dots centred on dots_, or more than it
    // keeps (dotsOverflow_).
    struct Dot {
        int32_t x, y;
    };
    bool agentClear_ = true;
    bool dotsOverflow_ = false;
    std::vector<Dot> dots_;
};

} // namespace landuse
