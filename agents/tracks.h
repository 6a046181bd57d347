#pragma once
// The marks that walks leave on cells, and what happens to them at the end
// of every step.

#include "model/grid.h"

namespace landuse {

// Laid by the walk: +1 on the cell an agent leaves, +10 on the cell a
// returning agent starts its step on.
inline constexpr double TrackMark = 1.0;
inline constexpr double ReturnTrackMark = 10.0;

// Both marks times `factor` on every cell.
void DecayTracks(Grid& grid, double factor);

// Both marks rescaled so the strongest cell holds 255 (relative fading).
// Return marks at 0 or below are left alone. A kind of mark whose values are
// all equal above 0.1 has no span and is left as it is.
void RescaleTracks(Grid& grid);

} // namespace landuse
