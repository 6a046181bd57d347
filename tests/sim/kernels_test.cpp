#include "sim/simulation.h"

#include "support/grid_checks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace landuse;

using namespace landuse::test;

namespace {

struct RecordedRun {
    std::vector<std::vector<double>> series; // x and y of each statistics series
    std::vector<RankSizeRow> rankSize;
    World world;
};

RecordedRun runWith(GridKernels kernels, const std::vector<std::string>& assignments, int steps)
{
    Simulation sim(nullptr, 21);
    sim.setKernels(kernels);
    sim.Create();
    for (const std::string& a : assignments)
        sim.controls().assign(a);
    EXPECT_TRUE(sim.NewSetup());
    for (int i = 0; i < steps; ++i)
        sim.Step();
    RecordedRun run;
    for (const Series* s : {sim.stats().SuccessfulSeries, sim.stats().MaxMarkSeries, sim.stats().TravelTimeSeries,
                            sim.stats().MigratedSeries, sim.stats().ReturningSeries}) {
        run.series.push_back(s->XValues());
        run.series.push_back(s->YValues());
    }
    run.rankSize = sim.rankSize().Measures;
    run.world = sim.world();
    return run;
}

void expectSameOptional(const std::optional<double>& a, const std::optional<double>& b, const std::string& what)
{
    ASSERT_EQ(a.has_value(), b.has_value()) << what;
    if (a) {
        EXPECT_EQ(bits(*a), bits(*b)) << what;
    }
}

} // namespace

TEST(Kernels, ChoicesRunTheSameSimulation)
{
    if (!GridKernelsAvailable(GridKernels::Avx512))
        GTEST_SKIP() << "this processor runs only the portable code";
    const std::vector<std::vector<std::string>> settings = {
        {},
        {"CB_migrate=1", "rb_direct=1", "CB_decay=1"},
    };
    for (const std::vector<std::string>& assignments : settings) {
        const std::string what = assignments.empty() ? "defaults" : "migration, direct return, decay";
        const RecordedRun portable = runWith(GridKernels::Portable, assignments, 300);
        const RecordedRun wide = runWith(GridKernels::Avx512, assignments, 300);
        ASSERT_EQ(portable.series.size(), wide.series.size());
        for (size_t s = 0; s < portable.series.size(); ++s) {
            ASSERT_EQ(portable.series[s].size(), wide.series[s].size()) << what << " series " << s;
            for (size_t i = 0; i < portable.series[s].size(); ++i)
                ASSERT_EQ(bits(portable.series[s][i]), bits(wide.series[s][i]))
                    << what << " series " << s << " point " << i;
        }
        ASSERT_EQ(portable.rankSize.size(), 3u) << what;
        ASSERT_EQ(wide.rankSize.size(), 3u) << what;
        for (size_t r = 0; r < portable.rankSize.size(); ++r) {
            const std::string row = what + " rank-size row " + std::to_string(r);
            EXPECT_EQ(portable.rankSize[r].Time, wide.rankSize[r].Time) << row;
            expectSameOptional(portable.rankSize[r].K, wide.rankSize[r].K, row + " K");
            expectSameOptional(portable.rankSize[r].Correlation, wide.rankSize[r].Correlation, row + " r");
            expectSameOptional(portable.rankSize[r].Slope, wide.rankSize[r].Slope, row + " slope");
            expectSameOptional(portable.rankSize[r].AvgDiff, wide.rankSize[r].AvgDiff, row + " diff");
        }
        expectSameCells(portable.world, wide.world, what);
    }
}
