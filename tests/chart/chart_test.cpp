#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "chart/chart.h"

namespace landuse {
namespace {

using Changes = std::vector<ChartChange>;

TEST(ChartObservers, EveryChangeIsAnnouncedOnce)
{
    Chart chart;
    Changes seen;
    const Series* last = nullptr;
    chart.AddObserver([&](const ChartEvent& e) {
        seen.push_back(e.change);
        last = e.series;
    });

    chart.AddTitleLine("old");
    chart.SetTitle("average values");
    EXPECT_EQ(chart.TitleLines(), std::vector<std::string>{"average values"});
    Series& source = chart.AddSeries();
    Series& trend = chart.AddFunctionSeries(SeriesFunction::LeastSquares);
    trend.SetSource(&source);
    seen.clear();

    source.SetTitle("returning");
    source.Add(1, 12);
    source.Clear();
    EXPECT_EQ(seen, (Changes{ChartChange::SeriesStyleChanged, ChartChange::PointsReplaced,
                             ChartChange::PointAppended, ChartChange::PointsReplaced, ChartChange::PointsCleared}));
    EXPECT_EQ(last, &source);

    seen.clear();
    std::size_t listedOnRemoval = 99;
    chart.AddObserver([&](const ChartEvent& e) {
        if (e.change == ChartChange::SeriesRemoved)
            listedOnRemoval = chart.SeriesCount();
    });
    chart.RemoveSeries(source);
    EXPECT_EQ(seen, (Changes{ChartChange::SeriesRemoved, ChartChange::PointsReplaced}));
    EXPECT_EQ(listedOnRemoval, 1u) << "the removed series is already out of the list";
}

TEST(ChartObservers, ObserversMayUnsubscribeAndSubscribeWhileNotified)
{
    Chart chart;
    Series& s = chart.AddSeries();
    int once = 0, steady = 0, late = 0;
    ObserverList::Id onceId = 0;
    onceId = chart.AddObserver([&](const ChartEvent&) {
        ++once;
        chart.RemoveObserver(onceId);
        chart.AddObserver([&](const ChartEvent&) { ++late; });
    });
    chart.AddObserver([&](const ChartEvent&) { ++steady; });

    s.Add(0, 0);
    EXPECT_EQ(steady, 1) << "removing one observer must not skip the next";
    EXPECT_EQ(late, 0) << "an observer added during an event waits for the next";
    s.Add(1, 1);
    EXPECT_EQ(once, 1);
    EXPECT_EQ(steady, 2);
    EXPECT_EQ(late, 1);
}

TEST(ChartObservers, DyingChartTellsNobody)
{
    auto chart = std::make_unique<Chart>();
    Series& source = chart->AddSeries();
    chart->AddFunctionSeries(SeriesFunction::Correlation).SetSource(&source);
    int calls = 0;
    chart->AddObserver([&](const ChartEvent&) { ++calls; });
    chart.reset();
    EXPECT_EQ(calls, 0);
}

} // namespace
} // namespace landuse
