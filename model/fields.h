#pragma once
// The three potential fields: spread by neighbour means with noise (see
// diffusion.h), then rescaled to 0..10, every step.

#include "model/diffusion.h"
#include "model/empty_cell_survey.h"
#include "model/field_survey.h"
#include "model/grid.h"

namespace landuse {

// Rescales each field to 0..10 over the whole grid. A field with no span
// (every value equal and above 1e-8) is left as it is.
void NormalizeFields(Grid& grid);

// The same with the bounds taken from the step's survey where it can tell
// them, the grid being as the diffusion left it but for the changes noted.
void NormalizeFields(Grid& grid, const FieldSurvey& survey);

// The same, and on the way the survey of the empty cells that `empty` was
// start()ed for, of the grid as the rescale leaves it (nothing taken when
// its count is not the grid's or its word none).
void NormalizeFields(Grid& grid, const FieldSurvey& survey, EmptyCellSurvey& empty);

} // namespace landuse
