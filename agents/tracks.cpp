#include "agents/tracks.h"

#include "model/grid_kernels.h"

namespace landuse {

void DecayTracks(Grid& grid, double factor)
{
    TCell* begin = grid.Cells.data();
    TCell* end = begin + grid.Cells.size();
    for (TCell* c = begin; c != end; ++c) {
        c->TrackValue *= factor;
        c->ReturnTrackValue *= factor;
    }
}

void RescaleTracks(Grid& grid)
{
    const GridKernelTable& kernels = GridKernelsOf(grid);
    TCell* cells = grid.Cells.data();
    const size_t count = grid.Cells.size();
    double hi[2], lo[2];
    kernels.trackBounds(cells, count, hi, lo);
    // Each cell's new values depend only on its own and the two ranges, so
    // both kinds are rescaled in one pass.
    const bool scaleT = hi[0] != lo[0];
    TrackScale s;
    s.scaleR = hi[1] != lo[1];
    s.loR = lo[1];
    s.fR = s.scaleR ? 255.0 / (hi[1] - lo[1]) : 1.0;
    s.loT = scaleT ? lo[0] : 0.0;
    s.fT = scaleT ? 255.0 / (hi[0] - lo[0]) : 1.0;
    kernels.rescaleTracks(cells, count, s);
}

} // namespace landuse
