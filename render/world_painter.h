#pragma once
// The drawing of the world as the step and the model call it. The
// simulation runs without one (headless); the raster renderer implements it.

#include "agents/world.h"
#include "model/empty_cell_survey.h"
#include "render/display_options.h"

namespace landuse {

class WorldPainter {
public:
    virtual ~WorldPainter() = default;
    // New white layers of the panel's size, at every setup.
    virtual void CreateLayers(const World& world) = 0;
    // The world is being freed: the layers go with it.
    virtual void FreeLayers() = 0;
    // The view every later call draws; given before the first drawing and
    // whenever it changes. Draws nothing by itself.
    virtual void setDisplayOptions(const DisplayOptions& options) = 0;
    virtual void FindShadeRange(World& world) = 0;
    // The same from a survey, taken of the world's cells as they are now, of
    // the word the display options shade (DisplayOptions::shadeWord). A
    // painter that does not use it scans.
    virtual void FindShadeRange(World& world, const EmptyCellSurvey& /*emptyCells*/) { FindShadeRange(world); }
    virtual void ClearAgentLayer() = 0;
    virtual void RepaintCells(World& world) = 0;
    virtual void RedrawAllCells(World& world) = 0;
    virtual void DrawAgents(const World& world) = 0;
    virtual void DrawCell(World& world, int x, int y, ShadeSource source, bool hideLandUse) = 0;
};

} // namespace landuse
