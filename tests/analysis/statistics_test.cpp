#include "analysis/statistics.h"

#include <gtest/gtest.h>

using namespace landuse;

TEST(Statistics, PercentRoundsExactHalvesToEven)
{
    EXPECT_EQ(PercentOf(1, 8), 12);   // 12.5
    EXPECT_EQ(PercentOf(3, 8), 38);   // 37.5
    EXPECT_EQ(PercentOf(23, 40), 58); // 57.5, which binary floating point sees as 57.4999...
    EXPECT_EQ(PercentOf(1, 3), 33);
    EXPECT_EQ(PercentOf(2, 3), 67);
    EXPECT_EQ(PercentOf(0, 0), 0);
    EXPECT_EQ(PercentOf(0, 10), 0);
    EXPECT_EQ(PercentOf(123, 1000), 12); // mean trip 0.123 steps
}

TEST(Statistics, FourFiguresFromTheAgents)
{
    std::vector<TAgent> agents(8);
    agents[0].State = Returning;
    agents[1].Successful = 1;
    agents[2].Successful = 1;
    agents[3].Successful = 1;
    agents[4].Migrated = 1;
    for (TAgent& a : agents)
        a.TripSteps = 3;
    agents[7].TripSteps = 4;
    const RunStatistics s = ComputeRunStatistics(agents);
    EXPECT_EQ(s.Returning, 12);
    EXPECT_EQ(s.Successful, 38);
    EXPECT_EQ(s.Migrated, 12);
    EXPECT_EQ(s.TravelTime, 312); // 25 / 8 = 3.125 steps, x 100
    EXPECT_EQ(ComputeRunStatistics({}).TravelTime, 0);
}
