#pragma once
// The drawing of the world as the step and the model call it. The
// simulation runs without one (headless); the raster renderer implements it.

#include "agents/world.h"
#include "model/empty_cell_survey.h"
#include "model/register.h"

namespace landuse {

// Which value a shaded cell shows.
enum class ShadeSource { Track = 0, ReturnTrack = 1, Potential = 2 };

class WorldPainter {
public:
    virtual ~WorldPainter() = default;
    // New white layers of the panel's size, at every setup.
    virtual void CreateLayers(const World& world) = 0;
    // The world is being freed: the layers go with it.
    virtual void FreeLayers() = 0;
    // The cell word (model/range_scan.h) whose bounds over the empty cells
    // FindShadeRange takes in the view that `reg` sets.
    virtual int ShadeWord(const ParamRegister& reg) const = 0;
    virtual void FindShadeRange(World& world, const ParamRegister& reg) = 0;
    // The same from a survey of ShadeWord(reg) over the world's cells as
    // they are now. A painter that does not use it scans.
    virtual void FindShadeRange(World& world, const ParamRegister& reg, const EmptyCellSurvey& /*emptyCells*/)
    {
        FindShadeRange(world, reg);
    }
    virtual void ClearAgentLayer() = 0;
    virtual void RepaintCells(World& world, const ParamRegister& reg) = 0;
    virtual void RedrawAllCells(World& world, const ParamRegister& reg) = 0;
    virtual void DrawAgents(const World& world) = 0;
    virtual void DrawCell(World& world, int x, int y, ShadeSource source, bool hideLandUse) = 0;
};

} // namespace landuse
