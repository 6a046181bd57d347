#pragma once
// The drawing of the world done the plain way: every cell keeps its own copy
// of the grey scale and of the field it shows, every fill covers the whole
// layer and every pass visits every cell. Slow, and there to hold the
// raster's shortcuts to.

#include "chart/world_painter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace landuse::test {

class PlainPainter : public WorldPainter {
public:
    explicit PlainPainter(int width = 404, int height = 404) : width_(width), height_(height) {}

    void CreateLayers(const World& world) override
    {
        cellPixels.assign(size_t(width_) * size_t(height_), 0xFFFFFFFF);
        agentPixels.assign(size_t(width_) * size_t(height_), 0);
        // A new cell holds zeros, and the cell reset sets ShadeMax to 1.
        shadeMax.assign(world.Cells.size(), 1.0L);
        shadeMin.assign(world.Cells.size(), 0.0L);
        shownField.assign(world.Cells.size(), 0);
    }
    void FreeLayers() override
    {
        cellPixels.clear();
        agentPixels.clear();
    }

    void FindShadeRange(World& world, const ParamRegister& reg) override
    {
        const int item = reg.itemIndex(Ctl::CB_FieldNr);
        rangeMax = 0.1L;
        rangeMin = 99999999999.0L;
        for (int y = 0; y < world.Cells.countY(); ++y) {
            for (int x = 0; x < world.Cells.countX(); ++x) {
                const size_t i = index(world, x, y);
                shownField[i] = item;
                const TCell& cell = world.Cells.at(x, y);
                if (cell.LandUse != Empty)
                    continue;
                const long double v = reg.checked(Ctl::CB_potField) ? cell.Potential[item]
                                      : reg.checked(Ctl::CB_showAB) ? cell.ReturnTrackValue
                                                                    : cell.TrackValue;
                if (v > rangeMax)
                    rangeMax = v;
                if (v < rangeMin)
                    rangeMin = v;
            }
        }
    }

    void DrawCell(World& world, int x, int y, ShadeSource source, bool hide) override
    {
        const size_t i = index(world, x, y);
        const TCell& cell = world.Cells.at(x, y);
        TCellLook& look = world.Cells.look(x, y);
        int32_t code = cell.LandUse;
        if (hide && cell.LandUse >= 2)
            code = 0;
        if (look.AllBlack && cell.LandUse >= 2)
            code = cell.LandUse == Destination ? 7 : 6;
        uint32_t colour = 0xFF000000;
        switch (code) {
        case 0: {
            const double v = source == ShadeSource::Track         ? cell.TrackValue
                             : source == ShadeSource::ReturnTrack ? cell.ReturnTrackValue
                                                                  : cell.Potential[shownField[i]];
            if (shadeMax[i] == shadeMin[i]) {
                look.Shade = 255;
            } else {
                const long double scale = 255.0L / (shadeMax[i] - shadeMin[i]);
                long double g = (v - shadeMin[i]) * scale;
                if (std::isnan(g))
                    g = 0;
                if (g > 255)
                    g = 255;
                if (g < 0)
                    g = 0;
                look.Shade = int32_t(std::lrintl(255 - g));
            }
            colour = 0xFF000000 | uint32_t(look.Shade) * 65793;
            break;
        }
        case 1: colour = 0xFF000080; break;
        case 2: colour = 0xFF008000; break;
        case 3: colour = 0xFF00FF00; break;
        case 4: colour = 0xFFFF0000; break;
        case 5: colour = 0xFF0066CC; break;
        case 7: colour = 0xFFFFFFFF; break;
        default: break;
        }
        for (int py = look.PositionY - look.Size; py < look.PositionY + look.Size; ++py)
            for (int px = look.PositionX - look.Size; px < look.PositionX + look.Size; ++px)
                if (px >= 0 && py >= 0 && px < width_ && py < height_)
                    cellPixels[size_t(py) * size_t(width_) + size_t(px)] = colour;
        look.LastDrawnValue = cell.TrackValue;
    }

    void DrawCellIfChanged(World& world, int x, int y, ShadeSource source, bool hide)
    {
        if (std::fabs(world.Cells.at(x, y).TrackValue - world.Cells.look(x, y).LastDrawnValue) > 1.0)
            DrawCell(world, x, y, source, hide);
    }

    void RedrawAllCells(World& world, const ParamRegister& reg) override
    {
        const ShadeSource source = sourceOf(reg);
        for (int y = 0; y < world.Cells.countY(); ++y) {
            for (int x = 0; x < world.Cells.countX(); ++x) {
                copyRange(world, x, y);
                DrawCell(world, x, y, source, reg.checked(Ctl::cb_noDesti));
            }
        }
    }

    void RepaintCells(World& world, const ParamRegister& reg) override
    {
        if (reg.checked(Ctl::CB_noTracks) || reg.checked(Ctl::CB_showOrig))
            std::fill(cellPixels.begin(), cellPixels.end(), 0xFFFFFFFF);
        if (reg.checked(Ctl::CB_noTracks))
            return;
        if (reg.checked(Ctl::CB_potField))
            RedrawAllCells(world, reg);
        const ShadeSource source = sourceOf(reg);
        const bool hide = reg.checked(Ctl::cb_noDesti);
        for (int y = 0; y < world.Cells.countY(); ++y) {
            for (int x = 0; x < world.Cells.countX(); ++x) {
                copyRange(world, x, y);
                if (!reg.checked(Ctl::CB_showOrig))
                    DrawCellIfChanged(world, x, y, source, hide);
                else if (world.Cells.at(x, y).LandUse != Empty)
                    DrawCell(world, x, y, source, hide);
            }
        }
    }

    void ClearAgentLayer() override { std::fill(agentPixels.begin(), agentPixels.end(), 0); }

    void DrawAgents(const World& world) override
    {
        for (const TAgent& a : world.Agents) {
            const uint32_t fill = a.State == Searching ? 0xFFFF0000 : 0xFF00FF00;
            const int dots[5][3] = {{0, -1, 0}, {-1, 0, 0}, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}};
            for (const auto& d : dots) {
                const int px = a.PixelX + d[0];
                const int py = a.PixelY + d[1];
                if (px >= 0 && py >= 0 && px < width_ && py < height_)
                    agentPixels[size_t(py) * size_t(width_) + size_t(px)] = d[2] ? fill : 0xFF808080;
            }
        }
    }

    std::vector<uint32_t> cellPixels;
    std::vector<uint32_t> agentPixels; // 0 where erased
    std::vector<long double> shadeMax;
    std::vector<long double> shadeMin;
    std::vector<int32_t> shownField;
    long double rangeMax = 0;
    long double rangeMin = 0;

private:
    static size_t index(const World& world, int x, int y)
    {
        return size_t(y) * size_t(world.Cells.countX()) + size_t(x);
    }
    static ShadeSource sourceOf(const ParamRegister& reg)
    {
        return reg.checked(Ctl::CB_potField) ? ShadeSource::Potential
               : reg.checked(Ctl::CB_showAB) ? ShadeSource::ReturnTrack
                                             : ShadeSource::Track;
    }
    void copyRange(const World& world, int x, int y)
    {
        shadeMax[index(world, x, y)] = rangeMax;
        shadeMin[index(world, x, y)] = rangeMin;
    }

    int width_;
    int height_;
};

} // namespace landuse::test
