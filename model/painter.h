#pragma once
// The drawing of the world, as the step and the model call it. The
// simulation runs without one (headless); the raster renderer implements it.

namespace landuse {

struct World;
class ParamRegister;

// Which value a shaded cell shows.
enum class ShadeSource { Track = 0, ReturnTrack = 1, Potential = 2 };

class WorldPainter {
public:
    virtual ~WorldPainter() = default;
    virtual void CreateLayers(const World& world) = 0;
    virtual void FindShadeRange(World& world, const ParamRegister& reg) = 0;
    virtual void ClearAgentLayer() = 0;
    virtual void RepaintCells(World& world, const ParamRegister& reg) = 0;
    virtual void DrawAgents(const World& world) = 0;
    virtual void DrawCell(World& world, int x, int y, ShadeSource source, bool hideLandUse) = 0;
};

} // namespace landuse
