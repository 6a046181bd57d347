#include "model/fields.h"

#include "model/grid_kernels.h"

namespace landuse {

namespace {

void rescale(Grid& grid, const GridKernelTable& kernels, const double hi[3], const double low[3],
             EmptyCellSurvey* empty)
{
    double lo[3], f[3];
    for (int k = 0; k < 3; ++k) {
        lo[k] = low[k];
        if (hi[k] != lo[k]) {
            f[k] = 10.0 / (hi[k] - lo[k]);
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

void normalizeSurveyed(Grid& grid, const FieldSurvey& survey, EmptyCellSurvey* empty)
{
    const GridKernelTable& kernels = GridKernelsOf(grid);
    double hi[3], lo[3];
    if (!survey.currentBounds(hi, lo))
        kernels.fieldBounds(grid.Cells.data(), grid.Cells.size(), hi, lo);
    rescale(grid, kernels, hi, lo, empty);
}

} // namespace

void NormalizeFields(Grid& grid)
{
    const GridKernelTable& kernels = GridKernelsOf(grid);
    double hi[3], lo[3];
    kernels.fieldBounds(grid.Cells.data(), grid.Cells.size(), hi, lo);
    rescale(grid, kernels, hi, lo, nullptr);
}

void NormalizeFields(Grid& grid, const FieldSurvey& survey)
{
    normalizeSurveyed(grid, survey, nullptr);
}

void NormalizeFields(Grid& grid, const FieldSurvey& survey, EmptyCellSurvey& empty)
{
    normalizeSurveyed(grid, survey, &empty);
}

} // namespace landuse
