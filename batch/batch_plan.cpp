#include "batch/batch_plan.h"

#include "agents/growth.h"
#include "model/geometry.h"
#include "model/numtext.h"
#include "model/random.h"
#include "model/register_settings.h"
#include "model/weighttable.h"
#include "sim/headless_host.h"
#include "sim/simulation.h"
#include "sim/sweeps.h"

#include <stdexcept>

namespace landuse {

namespace {

// The weight names of one land use's row, and its noise.
const std::array<std::array<const char*, 3>, 3> WeightNames = {{
    {"WPopPop", "WPopServ", "WPopIndu"},
    {"WServPop", "WServServ", "WServIndu"},
    {"WInduPop", "WInduServ", "WInduIndu"},
}};
const std::array<const char*, 3> NoiseNames = {"NoisePop", "NoiseServ", "NoiseIndu"};

int32_t runLength(const ParamRegister& reg, Ctl id)
{
    const int32_t steps = reg.readInt(id);
    if (steps < 1)
        throw std::invalid_argument(std::string(ControlDefOf(id).name) + ": " + Quoted(reg.text(id))
                                    + " steps: a run lasts at least 1 step");
    return steps;
}

uint64_t checkedRuns(uint64_t runs)
{
    if (runs > MostRuns)
        throw std::invalid_argument(IntToStr(int64_t(runs)) + " runs are more than the " + IntToStr(MostRuns)
                                    + " one experiment may have");
    return runs;
}

void planAnalysis1(BatchPlan& plan, const ParamRegister& reg)
{
    plan.steps = runLength(reg, Ctl::E_toSteps);
    (void)reg.readFloat(Ctl::E_valFrom);
    (void)reg.readFloat(Ctl::E_valTo);
    plan.drawn = {reg.checked(Ctl::CB_pop), reg.checked(Ctl::CB_serv), reg.checked(Ctl::CB_indu)};
    for (size_t i = 0; i < 3; ++i)
        if (plan.drawn[i])
            plan.varied.insert(plan.varied.end(), WeightNames[i].begin(), WeightNames[i].end());
    // The window's sweep ends after the run in which its count passes E_runs.
    plan.runCount = checkedRuns(plan.request.runs ? *plan.request.runs : uint64_t(reg.position(Ctl::UpD_runs)) + 2);
}

void planAnalysis2(BatchPlan& plan, const ParamRegister& reg)
{
    if (plan.request.runs)
        throw std::invalid_argument("--runs does not apply to analysis2: its runs are the noise values from "
                                    "E_valFrom2 to E_valTo2 by E_incre");
    plan.steps = runLength(reg, Ctl::E_toSteps2);
    plan.noiseRow = SelectedNoiseRow(reg);
    if (plan.noiseRow == 0)
        throw std::invalid_argument("analysis2 varies the noise of no land use: select RB_pop, RB_serv or RB_indu");
    NoiseSteps steps(reg);
    if (!steps.count(MostRuns))
        throw std::invalid_argument("E_incre: the noise from " + Quoted(reg.text(Ctl::E_valFrom2)) + " by "
                                    + Quoted(reg.text(Ctl::E_incre)) + " does not pass E_valTo2 "
                                    + Quoted(reg.text(Ctl::E_valTo2)) + " within " + IntToStr(MostRuns) + " runs");
    do
        plan.noise.push_back(steps.value());
    while (steps.next());
    plan.runCount = plan.noise.size();
    plan.varied.push_back(NoiseNames[size_t(plan.noiseRow - 1)]);
}

void planRepeat(BatchPlan& plan, const ParamRegister& reg)
{
    if (!plan.request.runs)
        throw std::invalid_argument("repeat needs --runs N: how many runs of the one setting to make");
    plan.steps = runLength(reg, Ctl::E_stop);
    plan.runCount = checkedRuns(*plan.request.runs);
}

} // namespace

std::optional<Experiment> ExperimentNamed(std::string_view name)
{
    for (const Experiment e : {Experiment::Analysis1, Experiment::Analysis2, Experiment::Repeat})
        if (name == ExperimentName(e))
            return e;
    return std::nullopt;
}

const char* ExperimentName(Experiment experiment)
{
    switch (experiment) {
    case Experiment::Analysis1:
        return "analysis1";
    case Experiment::Analysis2:
        return "analysis2";
    case Experiment::Repeat:
        return "repeat";
    }
    return "";
}

uint64_t RunSeed(uint64_t master, uint64_t run)
{
    uint64_t state = master + run * 0x9E3779B97F4A7C15ULL;
    return SplitMix64(state);
}

BatchPlan PlanBatch(BatchRequest request)
{
    BatchPlan plan;
    plan.request = std::move(request);
    // Messages of the model become the planner's refusals.
    HeadlessHost host(std::filesystem::current_path());
    Simulation sim(&host, plan.request.seed);
    sim.Create();
    plan.defaults = SettingsOf(sim.controls());
    for (const std::string& setting : plan.request.settings) {
        sim.controls().assign(setting);
        if (!host.messages.empty())
            throw std::invalid_argument(setting + ": " + host.messages.front());
    }
    const ParamRegister& reg = sim.controls();
    try {
        // What every setup converts, and the weight table every run reads.
        const GridGeometry world = MakeGeometry(reg.readInt(Ctl::Edit_size));
        (void)reg.readInt(Ctl::E_stop);
        // Counts no world can take would fail every run at its first step.
        GrowthCounts counts(reg);
        if (const auto oversized = OversizedCount(counts, size_t(world.CellCountX) * size_t(world.CellCountY)))
            throw std::invalid_argument(*oversized);
        TWeightTable table;
        ReadWeightTable(reg, table);
        switch (plan.request.experiment) {
        case Experiment::Analysis1:
            planAnalysis1(plan, reg);
            break;
        case Experiment::Analysis2:
            planAnalysis2(plan, reg);
            break;
        case Experiment::Repeat:
            planRepeat(plan, reg);
            break;
        }
    } catch (const ConvertError& e) {
        throw std::invalid_argument(e.what());
    }
    return plan;
}

} // namespace landuse
