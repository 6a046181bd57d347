#include "model/fields.h"

#include "model/grid_kernels.h"

namespace landuse {

namespace {

void rescale(Grid& grid, const FieldBounds& bounds, EmptyCellSurvey* empty)
{
    const GridKernelTable& kernels = GridKernelsOf(grid);
    double lo[3], f[3];
    for (int k = 0; k < 3; ++k) {
        lo[k] = bounds.lo[k];
        if (bounds.hi[k] != lo[k]) {
            f[k] = 10.0 / (bounds.hi[k] - lo[k]);
        } else {
            f[k] = 1.0;
            lo[k] = 0.0;
        }
    }
    if (empty && empty->word() >= 0 && empty->cellCount() == grid.Cells.size())
        kernels.rescaleFieldsSurveying(grid.Cells.data(), grid.Cells.size(), lo, f, *empty);
    else
        kernels.rescaleFields(grid.Cells.data(), grid.Cells.size(), lo, f);
}

} // namespace

FieldBounds ScanFieldBounds(const Grid& grid)
{
    FieldBounds bounds;
    GridKernelsOf(grid).fieldBounds(grid.Cells.data(), grid.Cells.size(), bounds.hi, bounds.lo);
    return bounds;
}

FieldBounds FieldBoundsOf(const Grid& grid, const FieldSurvey& survey)
{
    FieldBounds bounds;
    if (!survey.currentBounds(bounds.hi, bounds.lo))
        return ScanFieldBounds(grid);
    return bounds;
}

void NormalizeFields(Grid& grid) { rescale(grid, ScanFieldBounds(grid), nullptr); }

void NormalizeFields(Grid& grid, const FieldBounds& bounds) { rescale(grid, bounds, nullptr); }

void NormalizeFields(Grid& grid, const FieldBounds& bounds, EmptyCellSurvey& empty)
{
    rescale(grid, bounds, &empty);
}

} // namespace landuse
