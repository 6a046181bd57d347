#pragma once
// What one step notes on its way, owned by the step and kept from step to
// step so that its memory is reused: the diffusion's survey of the fields
// (their bounds and the growth's candidates, then the growth's changes),
// and the field rescale's survey of the empty cells for the shade range.

#include "model/empty_cell_survey.h"
#include "model/field_survey.h"

namespace landuse {

struct StepWorkspace {
    FieldSurvey fields;
    EmptyCellSurvey emptyCells;
};

} // namespace landuse
