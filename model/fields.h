#pragma once
// The three potential fields: spread by neighbour means with noise, then
// rescaled to 0..10, every step.

#include "model/random.h"
#include "model/weighttable.h"
#include "model/world.h"

namespace landuse {

// Limbo[k][x][y] = mean of field k over the eight neighbours of (x, y), with
// wrap-around, summed in extended precision in row order.
void NeighbourMean(World& world, int x, int y);

// Mean pass over the whole grid, then the update pass:
// Potential[k] = Limbo[k] * Diff_k + Potential[k] + r * Noise_k, with one
// Random r per cell in row-major order shared by the three fields.
void DiffuseFields(World& world, const TWeightTable& weights, TRandom& rng);

// Rescales each field to 0..10 over the whole grid. A field with no span
// (every value equal and above 1e-8) is left as it is.
void NormalizeFields(World& world);

} // namespace landuse
