#pragma once
// The drawing of the world done the plain way: every cell keeps its own copy
// of the grey scale and of the field it shows, every fill covers the whole
// layer and every pass visits every cell. Slow, and there to hold the
// raster's shortcuts to.

#include "render/world_painter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace landuse::test {

class PlainPainter : public WorldPainter {
public:
    void CreateLayers(const World& world) override
    {
        cellPixels.assign(404 * 404, 0xFFFFFFFF);
        agentPixels.assign(404 * 404, 0); // white, which shows the cells
        // A new cell holds zeros, and the cell reset sets ShadeMax to 1.
        shadeMax.assign(world.Cells.size(), 1.0L);
        shadeMin.assign(world.Cells.size(), 0.0L);
        shownField.assign(world.Cells.size(), 0);
    }
    void FreeLayers() override {}

    void setDisplayOptions(const DisplayOptions& options) override { view = options; }
    // Scans, whatever survey it is handed.
    using WorldPainter::FindShadeRange;
    void FindShadeRange(World& world) override
    {
        const int item = view.field;
        rangeMax = 0.1L;
        rangeMin = 99999999999.0L;
        for (size_t i = 0; i < world.Cells.size(); ++i) {
            shownField[i] = item;
            const TCell& cell = world.Cells.data()[i];
            if (cell.LandUse != Empty)
                continue;
            const long double v = view.potField ? cell.Potential[item]
                                  : view.showAB ? cell.ReturnTrackValue
                                                : cell.TrackValue;
            if (v > rangeMax)
                rangeMax = v;
            if (v < rangeMin)
                rangeMin = v;
        }
    }

    void DrawCell(World& world, int x, int y, ShadeSource source, bool hide) override
    {
        const size_t i = size_t(y) * size_t(world.Cells.countX()) + size_t(x);
        const TCell& cell = world.Cells.at(x, y);
        TCellLook& look = world.Cells.look(x, y);
        int32_t code = cell.LandUse;
        if (hide && cell.LandUse >= 2)
            code = 0;
        if (look.AllBlack && cell.LandUse >= 2)
            code = cell.LandUse == Destination ? 7 : 6;
        const uint32_t colours[] = {0, 0xFF000080, 0xFF008000, 0xFF00FF00, 0xFFFF0000, 0xFF0066CC, 0xFF000000,
                                    0xFFFFFFFF};
        uint32_t colour = code >= 0 && code < 8 ? colours[code] : 0xFF000000;
        if (code == 0) {
            const double v = source == ShadeSource::Track         ? cell.TrackValue
                             : source == ShadeSource::ReturnTrack ? cell.ReturnTrackValue
                                                                  : cell.Potential[shownField[i]];
            long double g = (v - shadeMin[i]) * (255.0L / (shadeMax[i] - shadeMin[i]));
            if (shadeMax[i] == shadeMin[i] || std::isnan(g))
                g = 0;
            g = std::clamp(g, 0.0L, 255.0L);
            look.Shade = int32_t(std::lrintl(255 - g));
            colour = 0xFF000000 | uint32_t(look.Shade) * 65793;
        }
        for (int py = look.PositionY - look.Size; py < look.PositionY + look.Size; ++py)
            for (int px = look.PositionX - look.Size; px < look.PositionX + look.Size; ++px)
                if (px >= 0 && py >= 0 && px < 404 && py < 404)
                    cellPixels[size_t(py) * 404 + size_t(px)] = colour;
        look.LastDrawnValue = cell.TrackValue;
    }

    void RedrawAllCells(World& world) override { drawEach(world, true); }

    void RepaintCells(World& world) override
    {
        if (view.noTracks || view.showOrig)
            std::fill(cellPixels.begin(), cellPixels.end(), 0xFFFFFFFF);
        if (view.noTracks)
            return;
        if (view.potField)
            RedrawAllCells(world);
        drawEach(world, false);
    }

    void ClearAgentLayer() override { std::fill(agentPixels.begin(), agentPixels.end(), 0); }

    void DrawAgents(const World& world) override
    {
        for (const TAgent& a : world.Agents) {
            const int dot[5][3] = {{0, -1, 0}, {-1, 0, 0}, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}};
            for (const auto& d : dot) {
                const int px = a.PixelX + d[0];
                const int py = a.PixelY + d[1];
                if (px >= 0 && py >= 0 && px < 404 && py < 404)
                    agentPixels[size_t(py) * 404 + size_t(px)] =
                        d[2] == 0 ? 0xFF808080 : a.State == Searching ? 0xFFFF0000 : 0xFF00FF00;
            }
        }
    }

    std::vector<uint32_t> cellPixels;
    std::vector<uint32_t> agentPixels;
    std::vector<long double> shadeMax;
    std::vector<long double> shadeMin;
    std::vector<int32_t> shownField;
    long double rangeMax = 0;
    long double rangeMin = 0;
    DisplayOptions view;

private:
    // Every cell, row by row, with the range copied in first: all of them
    // (RedrawAllCells), or as the repaint's last pass draws them.
    void drawEach(World& world, bool all)
    {
        const ShadeSource source = view.potField ? ShadeSource::Potential
                                   : view.showAB ? ShadeSource::ReturnTrack
                                                 : ShadeSource::Track;
        const bool hide = view.hideLandUse;
        for (int y = 0; y < world.Cells.countY(); ++y) {
            for (int x = 0; x < world.Cells.countX(); ++x) {
                const size_t i = size_t(y) * size_t(world.Cells.countX()) + size_t(x);
                shadeMax[i] = rangeMax;
                shadeMin[i] = rangeMin;
                bool draw = all;
                if (!all && view.showOrig)
                    draw = world.Cells.at(x, y).LandUse != Empty;
                else if (!all)
                    draw = std::fabs(world.Cells.at(x, y).TrackValue - world.Cells.look(x, y).LastDrawnValue) > 1.0;
                if (draw)
                    DrawCell(world, x, y, source, hide);
            }
        }
    }
};

} // namespace landuse::test
