// Whole runs against their recorded results: the per-step statistics and
// the rank-size rows of two seeded runs, with each kernel choice. Any change
// to the model's arithmetic or to the order of its phases shows here, at the
// first step it changes.

#include "analysis/statistics.h"
#include "model/fields.h"
#include "model/numtext.h"
#include "sim/simulation.h"

#include "support/grid_checks.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <thread>
#include <vector>

using namespace landuse;

namespace {

struct GoldenRun {
    const char* fixture; // tests/fixtures/golden_<fixture>_stats.csv and _ranksize.csv
    uint64_t seed;
    int steps;
    std::vector<std::string> settings;
};

const GoldenRun Runs[] = {
    {"defaults", 1, 300, {}},
    {"migrate", 2, 300, {"CB_migrate=1", "rb_direct=1", "CB_decay=1"}},
};

std::vector<std::string> fixtureLines(const std::string& name)
{
    std::ifstream in(std::string(LANDUSE_TEST_FIXTURES) + "/" + name);
    EXPECT_TRUE(in) << "missing fixture " << name;
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// A recorded number: 15 significant digits, a point as separator.
std::string recorded(const std::optional<double>& v)
{
    if (!v)
        return "";
    std::string text = FloatToStr(*v);
    for (char& c : text)
        if (c == ',')
            c = '.';
    return text;
}

struct RunResult {
    std::vector<std::string> stats;    // one line per step, header first
    std::vector<std::string> rankSize; // one line per measure, header first
};

RunResult runGolden(const GoldenRun& run, GridKernels kernels)
{
    Simulation sim(nullptr, run.seed);
    sim.setKernels(kernels);
    sim.Create();
    for (const std::string& setting : run.settings)
        sim.controls().assign(setting);
    EXPECT_TRUE(sim.NewSetup());

    RunResult r;
    r.stats.push_back("step,agents,successful,travel_time,migrated,returning");
    for (int i = 0; i < run.steps; ++i) {
        sim.Step();
        const RunStatistics s = ComputeRunStatistics(sim.world().Agents);
        r.stats.push_back(IntToStr(sim.stepCount()) + "," + IntToStr(int64_t(sim.world().Agents.size())) + ","
                          + IntToStr(s.Successful) + "," + IntToStr(s.TravelTime) + "," + IntToStr(s.Migrated)
                          + "," + IntToStr(s.Returning));
    }
    r.rankSize.push_back("time,intercept_K,correlation_r,slope,avg_diff");
    for (const RankSizeRow& row : sim.rankSize().Measures)
        r.rankSize.push_back(IntToStr(row.Time) + "," + recorded(row.K) + "," + recorded(row.Correlation) + ","
                             + recorded(row.Slope) + "," + recorded(row.AvgDiff));
    return r;
}

// Reports the first line that differs, not a wall of text.
void expectSameLines(const std::vector<std::string>& actual, const std::vector<std::string>& expected,
                     const std::string& what)
{
    ASSERT_EQ(actual.size(), expected.size()) << what;
    for (size_t i = 0; i < actual.size(); ++i)
        ASSERT_EQ(actual[i], expected[i]) << what << ", line " << i;
}

} // namespace

TEST(Golden, SeededRunsRepeatTheirRecordedResultsWithEveryKernel)
{
    for (const GoldenRun& run : Runs) {
        const std::string stem = std::string("golden_") + run.fixture;
        const std::vector<std::string> stats = fixtureLines(stem + "_stats.csv");
        const std::vector<std::string> rankSize = fixtureLines(stem + "_ranksize.csv");
        ASSERT_EQ(stats.size(), size_t(run.steps) + 1);
        ASSERT_EQ(rankSize.size(), size_t(run.steps / 100) + 1);
        for (GridKernels kernels : test::kernelsToTry()) {
            const std::string what = std::string(run.fixture) + " with the " + test::kernelName(kernels) + " kernels";
            const RunResult r = runGolden(run, kernels);
            expectSameLines(r.stats, stats, what + ", statistics");
            expectSameLines(r.rankSize, rankSize, what + ", rank size");
        }
    }
}

TEST(Golden, SimulationsOnTwoThreadsMatchTheSameRunsOneAfterTheOther)
{
    RunResult alone[2];
    for (int i = 0; i < 2; ++i)
        alone[i] = runGolden(Runs[i], GridKernels::Best);
    RunResult together[2];
    std::thread first([&] { together[0] = runGolden(Runs[0], GridKernels::Best); });
    std::thread second([&] { together[1] = runGolden(Runs[1], GridKernels::Best); });
    first.join();
    second.join();
    for (int i = 0; i < 2; ++i) {
        expectSameLines(together[i].stats, alone[i].stats, std::string(Runs[i].fixture) + ", statistics");
        expectSameLines(together[i].rankSize, alone[i].rankSize, std::string(Runs[i].fixture) + ", rank size");
    }
}
