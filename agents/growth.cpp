#include "agents/growth.h"

#include "model/numtext.h"

#include <array>
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

// One grid scan serves every pick of a growth phase. For each field it keeps
// the best empty cells in pick order (highest value first, earlier in the
// scan first among equals). A pick takes the first listed cell that is still
// empty: picks only ever take cells out of the empty set, and they change
// the potentials of the taken cells only, so this yields exactly the cells
// that a fresh scan per pick would. A list shorter than its capacity holds
// every candidate, so running out of it means there is none: (0, 0).
class GrowthPicker {
public:
    static constexpr int Capacity = 64;

    // Falls back to a full scan per pick when the phase makes more picks than
    // the lists can hold.
    GrowthPicker(const TCellList& cells, int picks) : cells_(cells), batched_(picks <= Capacity)
    {
        if (!batched_ || picks == 0)
            return;
        capacity_ = picks;
        const TCell* cell = cells.data();
        const size_t count = cells.size();
        for (size_t i = 0; i < count; ++i, ++cell) {
            if (cell->LandUse != Empty)
                continue;
            // Most cells fall below all three floors; test them together.
            const bool p0 = cell->Potential[0] > floor_[0];
            const bool p1 = cell->Potential[1] > floor_[1];
            const bool p2 = cell->Potential[2] > floor_[2];
            if (!(p0 | p1 | p2))
                continue;
            const int32_t x = int32_t(i % size_t(cells.countX()));
            const int32_t y = int32_t(i / size_t(cells.countX()));
            if (p0)
                offer(0, cell->Potential[0], x, y);
            if (p1)
                offer(1, cell->Potential[1], x, y);
            if (p2)
                offer(2, cell->Potential[2], x, y);
        }
    }

    CellPos pick(int k)
    {
        if (!batched_)
            return ChooseGrowthCell(cells_, k);
        for (int i = 0; i < count_[k]; ++i) {
            const Entry& e = lists_[k][size_t(i)];
            if (cells_.at(e.x, e.y).LandUse == Empty)
                return {e.x, e.y};
        }
        return {0, 0};
    }

private:
    struct Entry {
        double value;
        int32_t x, y;
    };

    // Called only for values above floor_[k]: above 0, and above the last
    // listed value once the list is full.
    void offer(int k, double value, int32_t x, int32_t y)
    {
        auto& list = lists_[k];
        const int n = count_[k];
        int pos = n < capacity_ ? n : n - 1;
        while (pos > 0 && list[size_t(pos - 1)].value < value) {
            list[size_t(pos)] = list[size_t(pos - 1)];
            --pos;
        }
        list[size_t(pos)] = {value, x, y};
        if (n < capacity_)
            ++count_[k];
        if (count_[k] == capacity_)
            floor_[k] = list[size_t(capacity_ - 1)].value;
    }

    const TCellList& cells_;
    bool batched_;
    int capacity_ = 0;
    std::array<std::array<Entry, Capacity>, 3> lists_;
    std::array<int, 3> count_{0, 0, 0};
    std::array<double, 3> floor_{0.0, 0.0, 0.0};
};

int plannedPicks(GrowthCounts& counts)
{
    // The counts are read for real at their own moments; this only sizes the
    // lists, so a text that does not convert counts as nothing here.
    int total = 0;
    for (DeferredInt* count : {&counts.agents, &counts.services, &counts.industries}) {
        const std::optional<int32_t> n = count->peek();
        if (n && *n > 0)
            total += *n > GrowthPicker::Capacity ? GrowthPicker::Capacity + 1 : *n;
    }
    return total;
}

void addWeights(TCell& cell, double toPop, double toServ, double toIndu)
{
    cell.Potential[0] += toPop;
    cell.Potential[1] += toServ;
    cell.Potential[2] += toIndu;
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
        TCell& cell = growth.world.Cells.at(at.x, at.y);
        cell.LandUse = code;
        addWeights(cell, toPop, toServ, toIndu);
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
    TCell& cell = growth.world.Cells.at(x, y);
    cell.LandUse = Residential;
    addWeights(cell, w.WPopPop, w.WServPop, w.WInduPop);
    growth.cellChanged(x, y);
}

void PlaceAgent(const Growth& growth, size_t index, int kind)
{
    placeAgentAt(growth, index, ChooseGrowthCell(growth.world.Cells, kind));
}

void CreateResources(const Growth& growth, GrowthCounts& counts)
{
    GrowthPicker picker(growth.world.Cells, GrowthPicker::Capacity + 1);
    createResourcesWith(growth, counts, picker);
}

void CreateAgents(const Growth& growth, GrowthCounts& counts)
{
    // All agents are placed before the first service cell is chosen, and all
    // service cells before the first industry cell.
    GrowthPicker picker(growth.world.Cells, plannedPicks(counts));
    const int32_t n = counts.agents();
    for (int32_t i = 0; i < n; ++i) {
        growth.world.Agents.emplace_back();
        placeAgentAt(growth, growth.world.Agents.size() - 1, picker.pick(0));
    }
    createResourcesWith(growth, counts, picker);
}

} // namespace landuse
