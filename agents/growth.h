#pragma once
// Growth of the settlement: new agents on new residential cells, then new
// service and industry cells, each where its field is highest.

#include "agents/world.h"
#include "model/cell.h"
#include "model/field_survey.h"
#include "model/random.h"
#include "model/register.h"
#include "model/weighttable.h"

#include <cstdint>
#include <optional>
#include <string>

namespace landuse {

struct CellPos {
    int32_t x = 0;
    int32_t y = 0;
};

// The empty cell with the highest Potential[k] above 0, first in row-major
// order among equals; (0, 0) when there is none.
CellPos ChooseGrowthCell(const TCellList& cells, int k);

// What the growth phase works on and with. With a survey, the picks come
// from the candidates that the diffusion collected into it (see PlanGrowth),
// and every change of potentials is noted there for the rescale.
struct Growth {
    World& world;
    const TWeightTable& weights;
    TRandom& rng;
    const CellChanged& cellChanged;
    FieldSurvey* survey = nullptr;
};

// The three creation counts, each converted when the phase first needs it
// (E_crAgs before the agents, E_crServ after them, E_crIndu last), so a
// count that does not convert ends the phase with what was made kept.
struct GrowthCounts {
    explicit GrowthCounts(const ParamRegister& reg)
        : agents(reg, Ctl::E_crAgs), services(reg, Ctl::E_crServ), industries(reg, Ctl::E_crIndu)
    {
    }
    DeferredInt agents;
    DeferredInt services;
    DeferredInt industries;
};

// A phase makes its counts in full, so a count beyond the cells of the world
// would never end: the message naming the first such control and the limit,
// or nothing. Counts that do not convert are left to their own moment.
std::optional<std::string> OversizedCount(GrowthCounts& counts, size_t cellCount);

// Asks the survey for the candidates that the growth phase may need, as
// many per field as the counts can take from it before that field's last
// pick. Counts that do not convert ask for nothing.
void PlanGrowth(GrowthCounts& counts, FieldSurvey& survey, size_t cellCount);

void CreateAgents(const Growth& growth, GrowthCounts& counts);
void MarkResidential(const Growth& growth, int32_t x, int32_t y);

} // namespace landuse
