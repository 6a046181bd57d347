// What a batch experiment plans from its settings, and the seeds of its runs.

#include "batch/batch_plan.h"
#include "batch/batch_run.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>

using namespace landuse;

namespace {

BatchPlan plan(Experiment e, std::vector<std::string> settings, std::optional<uint64_t> runs = std::nullopt)
{
    return PlanBatch({e, std::move(settings), 1, runs});
}

std::string refusal(Experiment e, std::vector<std::string> settings, std::optional<uint64_t> runs = std::nullopt)
{
    try {
        plan(e, std::move(settings), runs);
    } catch (const std::invalid_argument& error) {
        return error.what();
    }
    return "accepted";
}

} // namespace

TEST(BatchPlan, AnalysisOneMakesTheWindowsRunCountAndVariesTheDrawnWeights)
{
    const BatchPlan p = plan(Experiment::Analysis1, {"E_runs=1", "E_toSteps=300", "CB_serv=0"});
    EXPECT_EQ(p.runCount, 3u); // E_runs + 2, as the window's sweep
    EXPECT_EQ(p.steps, 300);
    EXPECT_EQ(p.varied, (std::vector<std::string>{"WPopPop", "WPopServ", "WPopIndu", "WInduPop", "WInduServ",
                                                  "WInduIndu"}));
    EXPECT_EQ(plan(Experiment::Analysis1, {}, 7).runCount, 7u);
    EXPECT_EQ(plan(Experiment::Analysis1, {}).runCount, 32702u);
    EXPECT_EQ(RunsCsvHeader(plan(Experiment::Repeat, {}, 2)),
              "run,seed,step,agents,successful,travel_time,migrated,returning,intercept_K,correlation_r,slope,"
              "avg_diff\n");
}

TEST(BatchPlan, AnalysisTwoStepsTheNoiseAsTheWindowAddsIt)
{
    const BatchPlan p = plan(Experiment::Analysis2, {});
    ASSERT_EQ(p.runCount, 13u);
    EXPECT_EQ(p.noise.front(), 0.0);
    EXPECT_EQ(p.noise.back(), 12.0);
    EXPECT_EQ(p.noiseRow, 1);
    EXPECT_EQ(p.varied, std::vector<std::string>{"NoisePop"});

    // 0 to 0,3 by 0,1: the sum held as a double with extended-precision
    // steps reaches 0,3 (0.30000000000000004 > 0.3 would end a pure double sum early).
    const BatchPlan tenths = plan(Experiment::Analysis2, {"RB_indu=1", "E_valTo2=0,3", "E_incre=0,1"});
    EXPECT_EQ(tenths.noiseRow, 3);
    EXPECT_EQ(tenths.varied, std::vector<std::string>{"NoiseIndu"});
    ASSERT_EQ(tenths.noise.size(), 4u);
    EXPECT_EQ(tenths.noise[1], 0.1);

    EXPECT_EQ(plan(Experiment::Analysis2, {"E_valFrom2=5", "E_valTo2=4"}).runCount, 1u); // the first run always
}

TEST(BatchPlan, RefusesWhatWouldNeverRunOrEnd)
{
    EXPECT_EQ(refusal(Experiment::Repeat, {}), "repeat needs --runs N: how many runs of the one setting to make");
    EXPECT_EQ(refusal(Experiment::Repeat, {"E_stop=0"}, 2), "E_stop: '0' steps: a run lasts at least 1 step");
    EXPECT_EQ(refusal(Experiment::Analysis2, {}, 4),
              "--runs does not apply to analysis2: its runs are the noise values from E_valFrom2 to E_valTo2 by E_incre");
    EXPECT_EQ(refusal(Experiment::Analysis2, {"E_incre=-1"}),
              "E_incre: the noise from '0,0' by '-1' does not pass E_valTo2 '12,0' within 1000000 runs");
    EXPECT_EQ(refusal(Experiment::Analysis2, {"RB_pop=0"}),
              "analysis2 varies the noise of no land use: select RB_pop, RB_serv or RB_indu");
    EXPECT_EQ(refusal(Experiment::Analysis1, {}, 1'000'001), "1000001 runs are more than the 1000000 one experiment may have");
    EXPECT_EQ(refusal(Experiment::Analysis1, {"E_valFrom=x"}), "E_valFrom: 'x' is not a valid floating point value");
    EXPECT_EQ(refusal(Experiment::Analysis1, {"E_gone=1"}), "unknown control 'E_gone'");
    // Every run would fail at its first step; the world here has 40 by 40 cells.
    EXPECT_EQ(refusal(Experiment::Repeat, {"Edit_size=10", "E_crIndu=1601"}, 2),
              "E_crIndu: 1601 new cells per step are more than the 1600 cells of the world");
    EXPECT_EQ(plan(Experiment::Repeat, {"Edit_size=10", "E_crIndu=1600"}, 2).runCount, 2u);
}

TEST(BatchPlan, RunSeedsAreFixedAndDistinct)
{
    // Pinned: a changed derivation would change every published experiment.
    EXPECT_EQ(RunSeed(7, 0), 7191089600892374487u);
    EXPECT_EQ(RunSeed(7, 1), 309689372594955804u);
    std::set<uint64_t> seeds;
    for (uint64_t master : {0u, 1u, 2u})
        for (uint64_t run = 0; run < 10000; ++run)
            seeds.insert(RunSeed(master, run));
    EXPECT_EQ(seeds.size(), 30000u);
    EXPECT_EQ(RunFolderName(42), "000042");
    EXPECT_EQ(RunFolderName(1234567), "1234567");
}
