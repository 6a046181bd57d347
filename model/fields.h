#pragma once
// The three potential fields: spread by neighbour means with noise (see
// diffusion.h), then rescaled to 0..10, every step.

#include "model/diffusion.h"
#include "model/empty_cell_survey.h"
#include "model/field_survey.h"
#include "model/grid.h"

namespace landuse {

// Each field's largest and smallest value over the grid, as the rescale
// takes them.
struct FieldBounds {
    double hi[3];
    double lo[3];
};

// The bounds by a scan of the grid.
FieldBounds ScanFieldBounds(const Grid& grid);
// The bounds from a step's survey where it can tell them, the grid being as
// the diffusion left it but for the changes noted; a scan where it cannot.
FieldBounds FieldBoundsOf(const Grid& grid, const FieldSurvey& survey);

// Rescales each field to 0..10 over the whole grid. A field with no span
// (every value equal and above 1e-8) is left as it is.
void NormalizeFields(Grid& grid);

// The same with the grid's bounds known.
void NormalizeFields(Grid& grid, const FieldBounds& bounds);

// The same, and on the way the survey of the empty cells that `empty` was
// start()ed for, of the grid as the rescale leaves it (nothing taken when
// its count is not the grid's or its word none).
void NormalizeFields(Grid& grid, const FieldBounds& bounds, EmptyCellSurvey& empty);

} // namespace landuse
