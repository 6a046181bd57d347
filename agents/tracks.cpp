#include "agents/tracks.h"

namespace landuse {

void DecayTracks(World& world, double factor)
{
    TCell* begin = world.Cells.data();
    TCell* end = begin + world.Cells.size();
    for (TCell* c = begin; c != end; ++c) {
        c->TrackValue *= factor;
        c->ReturnTrackValue *= factor;
    }
}

void RescaleTracks(World& world)
{
    double hiR = 0.1, loR = 99999999999.0;
    double hiT = 0.1, loT = 99999999999.0;
    TCell* begin = world.Cells.data();
    TCell* end = begin + world.Cells.size();
    for (const TCell* c = begin; c != end; ++c) {
        if (c->TrackValue > hiT)
            hiT = c->TrackValue;
        if (c->TrackValue < loT)
            loT = c->TrackValue;
        if (c->ReturnTrackValue > hiR)
            hiR = c->ReturnTrackValue;
        if (c->ReturnTrackValue < loR)
            loR = c->ReturnTrackValue;
    }
    // Each cell's new values depend only on its own and the two ranges, so
    // both kinds are rescaled in one pass.
    const bool scaleR = hiR != loR;
    const bool scaleT = hiT != loT;
    const double fR = scaleR ? 255.0 / (hiR - loR) : 1.0;
    const double fT = scaleT ? 255.0 / (hiT - loT) : 1.0;
    if (!scaleT)
        loT = 0.0;
    for (TCell* c = begin; c != end; ++c) {
        if (scaleR && c->ReturnTrackValue > 0)
            c->ReturnTrackValue = (c->ReturnTrackValue - loR) * fR;
        c->TrackValue = (c->TrackValue - loT) * fT;
    }
}

} // namespace landuse
