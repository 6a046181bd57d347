#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "chart/chart.h"
#include "chart/palette.h"

namespace landuse {
namespace {

void Fill(Series& s, std::initializer_list<std::pair<double, double>> points)
{
    for (auto [x, y] : points)
        s.Add(x, y);
}

// Values worked by hand in series_function_test.cpp: (1,2), (2,3), (3,5),
// (4,6) give the line 0.5 + 1.4·x and r = 0.7·√2; (0,3), (1,2), (2,0) give
// 19/6 − 1.5·x.
TEST(ChartSeries, FunctionFollowsItsSourceAtOnce)
{
    Chart chart;
    Series& first = chart.AddSeries();
    Series& second = chart.AddSeries();
    Fill(second, {{0, 3}, {1, 2}, {2, 0}});
    Series& trend = chart.AddFunctionSeries(SeriesFunction::LeastSquares);
    Series& correlation = chart.AddFunctionSeries(SeriesFunction::Correlation);
    trend.SetSource(&first);
    correlation.SetSource(&first);
    EXPECT_EQ(trend.Count(), 0u);
    EXPECT_EQ(correlation.Y(0), 1.0) << "no points yet";

    first.Add(1, 2);
    EXPECT_EQ(trend.Count(), 0u) << "one point makes no line";
    Fill(first, {{2, 3}, {3, 5}, {4, 6}});
    ASSERT_EQ(trend.Count(), 2u);
    EXPECT_EQ(trend.X(1), 4.0);
    EXPECT_DOUBLE_EQ(trend.Y(1), 6.1);
    EXPECT_DOUBLE_EQ(correlation.Y(0), 0.7 * std::sqrt(2.0));

    trend.SetSource(&second);
    EXPECT_DOUBLE_EQ(trend.Y(0), 19.0 / 6.0);
    first.Clear();
    first.Add(9, 9);
    EXPECT_DOUBLE_EQ(trend.Y(0), 19.0 / 6.0) << "the old source no longer drives it";
    second.Clear();
    EXPECT_EQ(trend.Count(), 0u);
}

TEST(ChartSeries, AppendedResultEqualsFreshComputationBitForBit)
{
    Chart chart;
    Series& source = chart.AddSeries();
    Series& live = chart.AddFunctionSeries(SeriesFunction::LeastSquares);
    live.SetSource(&source);
    for (int i = 1; i <= 500; ++i)
        source.Add(std::log10(double(i)), std::log10(1000.0 / i + (i % 7)));
    Series& fresh = chart.AddFunctionSeries(SeriesFunction::LeastSquares);
    fresh.SetSource(&source);
    ASSERT_EQ(live.Count(), 2u);
    EXPECT_EQ(live.YValues(), fresh.YValues());
}

TEST(ChartSeries, ChainsUpdateAndCyclesAreRefused)
{
    Chart chart;
    Series& source = chart.AddSeries();
    Series& trend = chart.AddFunctionSeries(SeriesFunction::LeastSquares);
    Series& ofTrend = chart.AddFunctionSeries(SeriesFunction::Correlation);
    trend.SetSource(&source);
    ofTrend.SetSource(&trend);
    Fill(source, {{0, 0}, {1, 1}});
    EXPECT_NEAR(ofTrend.Y(0), 1.0, 1e-12);
    source.Add(2, -5);
    EXPECT_NEAR(ofTrend.Y(0), -1.0, 1e-12) << "the fitted line now falls";

    EXPECT_THROW(trend.SetSource(&trend), std::invalid_argument);
    EXPECT_THROW(trend.SetSource(&ofTrend), std::invalid_argument);
    EXPECT_EQ(trend.Source(), &source);
}

TEST(ChartSeries, RemovedOrDestroyedSeriesLeaveNoDanglingLink)
{
    auto sourceChart = std::make_unique<Chart>();
    Chart chart;
    Series& removed = sourceChart->AddSeries();
    Fill(removed, {{1, 2}, {2, 3}});
    Series& trend = chart.AddFunctionSeries(SeriesFunction::LeastSquares);
    trend.SetSource(&removed);
    ASSERT_TRUE(sourceChart->RemoveSeries(removed));
    EXPECT_EQ(trend.Source(), nullptr);
    EXPECT_EQ(trend.Count(), 0u);

    // A dependant that dies first must not be called afterwards.
    Series& other = sourceChart->AddSeries();
    sourceChart->AddFunctionSeries(SeriesFunction::Correlation).SetSource(&other);
    trend.SetSource(&other);
    sourceChart->RemoveSeries(sourceChart->SeriesAt(1));
    Fill(other, {{0, 1}, {1, 3}});
    EXPECT_DOUBLE_EQ(trend.Y(1), 3.0);

    sourceChart->RemoveAllSeries();
    EXPECT_EQ(trend.Source(), nullptr);
    trend.SetSource(&sourceChart->AddSeries());
    sourceChart.reset();
    EXPECT_EQ(trend.Source(), nullptr);
}

TEST(ChartSeries, AutomaticColoursByCreationOrderUnlessSet)
{
    Chart chart;
    Series& s0 = chart.AddSeries();
    Series& s1 = chart.AddSeries();
    s1.SetColor({0, 0, 255});
    EXPECT_EQ(s0.Color(), AutoSeriesColor(0));
    EXPECT_FALSE(s0.ColorSet());
    EXPECT_EQ(s1.Color(), (Rgb{0, 0, 255}));
    EXPECT_TRUE(s1.ColorSet());
    EXPECT_EQ(chart.AddSeries().Color(), AutoSeriesColor(2));
    EXPECT_NE(AutoSeriesColor(0), AutoSeriesColor(1));
    EXPECT_EQ(AutoSeriesColor(AutoPaletteSize()), AutoSeriesColor(0));

    chart.RemoveAllSeries();
    EXPECT_EQ(chart.AddSeries().Color(), AutoSeriesColor(0)) << "a cleared chart starts the palette over";
    EXPECT_THROW(chart.SeriesAt(1), std::out_of_range);
    EXPECT_THROW(chart.SeriesAt(0).Y(0), std::out_of_range);
}

} // namespace
} // namespace landuse
