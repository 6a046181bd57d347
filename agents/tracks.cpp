#include "agents/tracks.h"

#include "model/range_scan.h"

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
    RangeScan ret(0.1, 99999999999.0);
    RangeScan track(0.1, 99999999999.0);
    TCell* begin = world.Cells.data();
    const size_t count = world.Cells.size();
    size_t i = 0;
    for (; i + 1 < count; i += 2) {
        track.add(0, begin[i].TrackValue);
        ret.add(0, begin[i].ReturnTrackValue);
        track.add(1, begin[i + 1].TrackValue);
        ret.add(1, begin[i + 1].ReturnTrackValue);
    }
    if (i < count) {
        track.add(0, begin[i].TrackValue);
        ret.add(0, begin[i].ReturnTrackValue);
    }
    const double hiR = ret.high(), loR = ret.low();
    const double hiT = track.high();
    double loT = track.low();
    // Each cell's new values depend only on its own and the two ranges, so
    // both kinds are rescaled in one pass.
    const bool scaleR = hiR != loR;
    const bool scaleT = hiT != loT;
    const double fR = scaleR ? 255.0 / (hiR - loR) : 1.0;
    const double fT = scaleT ? 255.0 / (hiT - loT) : 1.0;
    if (!scaleT)
        loT = 0.0;
    if (scaleR) {
        for (i = 0; i < count; ++i) {
            const double r = begin[i].ReturnTrackValue;
            begin[i].ReturnTrackValue = r > 0 ? (r - loR) * fR : r;
        }
    }
    for (i = 0; i < count; ++i)
        begin[i].TrackValue = (begin[i].TrackValue - loT) * fT;
}

} // namespace landuse
