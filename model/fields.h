#pragma once
// The three potential fields: spread by neighbour means with noise, then
// rescaled to 0..10, every step.

#include "model/random.h"
#include "model/weighttable.h"
#include "model/grid.h"

namespace landuse {

// The mean of each field over the eight neighbours of (x, y), with
// wrap-around: the nine cells summed in extended precision in row order,
// less the centre, divided by 8.
void NeighbourMean(const Grid& grid, int x, int y, long double means[3]);

// Every cell at once from the previous step's values:
// Potential[k] = mean_k * Diff_k + Potential[k] + r * Noise_k in extended
// precision, with one Random r per cell in row-major order shared by the
// three fields.
void DiffuseFields(Grid& grid, const TWeightTable& weights, TRandom& rng);

// Rescales each field to 0..10 over the whole grid. A field with no span
// (every value equal and above 1e-8) is left as it is.
void NormalizeFields(Grid& grid);

// Whether this processor can run the code of a kernel choice (Grid::Kernels).
bool GridKernelsAvailable(GridKernels kernels);

} // namespace landuse
