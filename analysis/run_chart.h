#pragma once
// The time-series chart of the main window: four figures of the agents per
// step, plus the "max mark" series that nothing feeds.

#include "agents/agent.h"
#include "chart/chart.h"

#include <cstdint>
#include <vector>

namespace landuse {

struct StatisticsSeries {
    Series* SuccessfulSeries = nullptr;
    Series* MaxMarkSeries = nullptr;
    Series* TravelTimeSeries = nullptr;
    Series* MigratedSeries = nullptr;
    Series* ReturningSeries = nullptr;
};

// The looks of Chart1 that never change: legend, axes, background.
void SetUpChart1(Chart& chart1);

// Removes every series, titles the chart and creates the five empty series.
StatisticsSeries CreateStatisticsSeries(Chart& chart1);

// Appends (step, figure) to the four fed series.
void RecordStatistics(const StatisticsSeries& series, int32_t stepCount, const std::vector<TAgent>& agents);

} // namespace landuse
