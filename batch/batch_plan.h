#pragma once
// A batch experiment without a window: which runs it makes, how long each
// lasts, and what varies from run to run. Every run is a fresh simulation
// seeded from the master seed and its number, so its result does not depend
// on which worker or which shard runs it, or when.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace landuse {

enum class Experiment {
    Analysis1, // random land-use weights per run, as "activate analysis 1" does
    Analysis2, // the noise of one land use stepped through a range, as analysis 2 does
    Repeat,    // one setting, different seeds
};

std::optional<Experiment> ExperimentNamed(std::string_view name);
const char* ExperimentName(Experiment experiment);

struct BatchRequest {
    Experiment experiment = Experiment::Repeat;
    std::vector<std::string> settings; // NAME=TEXT in the order given; a later one wins
    uint64_t seed = 0;                 // the master seed
    std::optional<uint64_t> runs;      // instead of the experiment's own count
};

struct BatchPlan {
    BatchRequest request;
    uint64_t runCount = 0;
    int32_t steps = 0; // of every run: E_toSteps, E_toSteps2 or E_stop
    // Analysis 1: the land uses whose weights are drawn (population, service, industry).
    std::array<bool, 3> drawn{};
    // Analysis 2: the weight-table row whose noise varies (1..3), and the
    // value of each run.
    int noiseRow = 0;
    std::vector<double> noise;
    // Names of the parameters that vary from run to run, in column order.
    std::vector<std::string> varied;
    // The settings of a window that has just started, to tell what a run changed.
    std::vector<std::string> defaults;
};

// Checks the settings on a simulation of their own and plans the runs.
// Throws std::invalid_argument with a one-line message naming the bad text.
BatchPlan PlanBatch(BatchRequest request);

// The seed of run `run`: the (run + 1)-th word of splitmix64 from the master seed.
uint64_t RunSeed(uint64_t master, uint64_t run);

// Most runs one experiment may have.
inline constexpr uint64_t MostRuns = 1'000'000;

} // namespace landuse
