#include "analysis/run_chart.h"

#include "sim/simulation.h"

#include <gtest/gtest.h>

using namespace landuse;

TEST(RunChart, FiveSeriesRebuiltAtEverySetup)
{
    Simulation sim(nullptr, 4);
    sim.controls().setText(Ctl::Edit_size, "10");
    sim.Create();
    const Chart& c = sim.chart1();
    ASSERT_EQ(c.SeriesCount(), 5u);
    EXPECT_EQ(c.TitleLines(), std::vector<std::string>{"average values"});
    const char* titles[] = {"successful Ag`s", "max mark", "avg travel time", "migrated Ag`s", "returning"};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(c.SeriesAt(i).Title(), titles[i]);
    EXPECT_EQ(c.SeriesAt(2).OnAxis(), VerticalAxis::Left);
    EXPECT_EQ(c.SeriesAt(4).OnAxis(), VerticalAxis::Right);
    EXPECT_EQ(c.SeriesAt(2).LineWidth(), 2);
    EXPECT_FALSE(c.rightAxis.automatic);
    EXPECT_EQ(c.rightAxis.maximum, 101);
    EXPECT_FALSE(c.leftAxis.gridVisible);

    for (int i = 0; i < 3; ++i)
        sim.Step();
    EXPECT_EQ(c.SeriesAt(0).Count(), 3u);
    EXPECT_EQ(c.SeriesAt(0).X(0), 1.0);
    EXPECT_EQ(c.SeriesAt(1).Count(), 0u); // max mark stays empty
    EXPECT_EQ(c.SeriesAt(2).X(2), 3.0);
    ASSERT_TRUE(sim.NewSetup());
    ASSERT_EQ(c.SeriesCount(), 5u);
    EXPECT_EQ(c.SeriesAt(0).Count(), 0u);
}

TEST(RunChart, PointsAreTheRoundedFigures)
{
    Chart chart;
    const StatisticsSeries s = CreateStatisticsSeries(chart);
    std::vector<TAgent> agents(8);
    agents[0].State = Returning;
    agents[1].Successful = agents[2].Successful = agents[3].Successful = 1;
    agents[5].TripSteps = 1; // mean 0.125 steps: 12.5, to even 12
    RecordStatistics(s, 7, agents);
    EXPECT_EQ(s.ReturningSeries->Y(0), 12);
    EXPECT_EQ(s.SuccessfulSeries->Y(0), 38);
    EXPECT_EQ(s.TravelTimeSeries->Y(0), 12);
    EXPECT_EQ(s.MigratedSeries->Y(0), 0);
    EXPECT_EQ(s.MigratedSeries->X(0), 7);
    RecordStatistics(s, 8, {});
    EXPECT_EQ(s.SuccessfulSeries->Y(1), 0); // no agents: every figure 0
}
