#include "agents/growth.h"

#include "model/numtext.h"

#include <algorithm>
#include <array>
#include <span>
#include <utility>

namespace landuse {

CellPos ChooseGrowthCell(const TCellList& cells, int k)
{
    double best = 0.0;
    CellPos result;
    for (int y = 0; y < cells.countY(); ++y) {
        const TCell* row = cells.row(y);
        for (int x = 0; x < cells.countX(); ++x) {
            if (row[x].Potential[k] > best && row[x].LandUse == Empty) {
                best = row[x].Potential[k];
                result = {x, y};
            }
        }
    }
    return result;
}

namespace {

// The picks of one growth phase, from candidate lists per field in pick
// order. A pick takes the first listed cell that is still empty: picks only
// ever take cells out of the empty set, and they change the potentials of
// the taken cells only, so this yields exactly the cells that a fresh scan
// per pick would, as long as fewer picks have been made than the list
// keeps (one of its cells is then still empty) or the list holds every
// candidate (running out of it then means there is none: (0, 0)). Past
// that, each pick scans the grid.
class GrowthPicker {
public:
    GrowthPicker(const TCellList& cells, CandidatePool* pools) : cells_(cells), pools_(pools) {}

    CellPos pick(int k)
    {
        CandidatePool& pool = pools_[k];
        const bool listed = picks_ < pool.keep() || pool.complete();
        ++picks_;
        if (!listed)
            return ChooseGrowthCell(cells_, k);
        const std::span<const GrowthCandidate> list = pool.ranked();
        // The cells passed over are taken for good.
        size_t& at = next_[size_t(k)];
        for (; at < list.size(); ++at) {
            const uint32_t i = list[at].index;
            if (cells_.data()[i].LandUse == Empty)
                return {int32_t(i % uint32_t(cells_.countX())), int32_t(i / uint32_t(cells_.countX()))};
        }
        return {0, 0};
    }

private:
    const TCellList& cells_;
    CandidatePool* pools_;
    size_t picks_ = 0;
    std::array<size_t, 3> next_{0, 0, 0};
};

size_t plannedCount(DeferredInt& count)
{
    const std::optional<int32_t> n = count.peek();
    return n && *n > 0 ? size_t(*n) : 0;
}

// Field k's list must outlast the picks of the phases before it and its own.
void planPools(size_t agents, size_t services, size_t industries, CandidatePool pools[3], size_t cellCount)
{
    const size_t keep[3] = {agents, agents + services, agents + services + industries};
    for (int k = 0; k < 3; ++k)
        pools[k].reset(std::min(keep[k], cellCount));
}

void addWeights(const Growth& growth, int32_t x, int32_t y, double toPop, double toServ, double toIndu)
{
    TCell& cell = growth.world.Cells.at(x, y);
    const double before[3] = {cell.Potential[0], cell.Potential[1], cell.Potential[2]};
    cell.Potential[0] += toPop;
    cell.Potential[1] += toServ;
    cell.Potential[2] += toIndu;
    if (growth.survey)
        growth.survey->noteChange(uint32_t(y) * uint32_t(growth.world.Cells.countX()) + uint32_t(x), before,
                                  cell.Potential);
}

void placeAgentAt(const Growth& growth, size_t index, CellPos at)
{
    TAgent& agent = growth.world.Agents[index];
    const GridGeometry& g = growth.world.Geometry;
    agent.PosX = at.x;
    agent.PosY = at.y;
    growth.world.Cells.at(at.x, at.y).AgentCount += 1;
    agent.HomeX = at.x;
    agent.HomeY = at.y;
    agent.PixelX = at.x * g.CellSize + g.HalfCell;
    agent.PixelY = at.y * g.CellSize + g.HalfCell;
    agent.Successful = 0;
    agent.Heading = growth.rng.Random(360);
    agent.State = Searching;
    agent.Migrated = 0;
    agent.TripSteps = 0;
    MarkResidential(growth, at.x, at.y);
}

// `count` new cells of land use `code`, each where field k is highest, each
// adding its column of the weight table to its own three fields.
void growCells(const Growth& growth, GrowthPicker& picker, int32_t count, int k, int32_t code, double toPop,
               double toServ, double toIndu)
{
    for (int32_t i = 0; i < count; ++i) {
        const CellPos at = picker.pick(k);
        growth.world.Cells.at(at.x, at.y).LandUse = code;
        addWeights(growth, at.x, at.y, toPop, toServ, toIndu);
        growth.cellChanged(at.x, at.y);
    }
}

void createResourcesWith(const Growth& growth, GrowthCounts& counts, GrowthPicker& picker)
{
    const TWeightTable& w = growth.weights;
    growCells(growth, picker, counts.services(), 1, Service, w.WPopServ, w.WServServ, w.WInduServ);
    growCells(growth, picker, counts.industries(), 2, Industry, w.WPopIndu, w.WServIndu, w.WInduIndu);
}

} // namespace

std::optional<std::string> OversizedCount(GrowthCounts& counts, size_t cellCount)
{
    const std::pair<DeferredInt*, const char*> all[] = {
        {&counts.agents, "E_crAgs"}, {&counts.services, "E_crServ"}, {&counts.industries, "E_crIndu"}};
    for (const auto& [count, name] : all) {
        const std::optional<int32_t> n = count->peek();
        if (n && *n > 0 && size_t(*n) > cellCount)
            return std::string(name) + ": " + IntToStr(*n) + " new cells per step are more than the "
                + IntToStr(int64_t(cellCount)) + " cells of the world";
    }
    return std::nullopt;
}

void MarkResidential(const Growth& growth, int32_t x, int32_t y)
{
    const TWeightTable& w = growth.weights;
    growth.world.Cells.at(x, y).LandUse = Residential;
    addWeights(growth, x, y, w.WPopPop, w.WServPop, w.WInduPop);
    growth.cellChanged(x, y);
}

void PlanGrowth(GrowthCounts& counts, FieldSurvey& survey, size_t cellCount)
{
    planPools(plannedCount(counts.agents), plannedCount(counts.services), plannedCount(counts.industries),
              survey.candidates, cellCount);
}

void CreateAgents(const Growth& growth, GrowthCounts& counts)
{
    // All agents are placed before the first service cell is chosen, and all
    // service cells before the first industry cell.
    const TCellList& cells = growth.world.Cells;
    CandidatePool own[3];
    CandidatePool* pools = growth.survey ? growth.survey->candidates : own;
    if (!growth.survey) {
        planPools(plannedCount(counts.agents), plannedCount(counts.services), plannedCount(counts.industries), own,
                  cells.size());
        CollectCandidates(cells.data(), cells.size(), own);
    }
    GrowthPicker picker(cells, pools);
    const int32_t n = counts.agents();
    for (int32_t i = 0; i < n; ++i) {
        growth.world.Agents.emplace_back();
        placeAgentAt(growth, growth.world.Agents.size() - 1, picker.pick(0));
    }
    createResourcesWith(growth, counts, picker);
}

} // namespace landuse
