#include "analysis/run_chart.h"

#include "analysis/statistics.h"

namespace landuse {

void SetUpChart1(Chart& chart1)
{
    chart1.view3D = false;
    chart1.backgroundColor = {255, 255, 255};
    chart1.backWallColor = {255, 255, 255};
    chart1.backWallFilled = false;
    chart1.border.visible = true;
    chart1.legendVisible = true;
    chart1.leftAxis.gridVisible = false;
    chart1.rightAxis.automatic = false;
    chart1.rightAxis.minimum = 0;
    chart1.rightAxis.maximum = 101;
}

StatisticsSeries CreateStatisticsSeries(Chart& chart1)
{
    chart1.RemoveAllSeries();
    chart1.SetTitle("average values");
    struct SeriesLook {
        const char* title;
        VerticalAxis axis;
        int lineWidth; // 0: the chart's default
    };
    static constexpr SeriesLook looks[] = {
        {"successful Ag`s", VerticalAxis::Right, 0},
        {"max mark", VerticalAxis::Right, 1},
        {"avg travel time", VerticalAxis::Left, 2},
        {"migrated Ag`s", VerticalAxis::Right, 1},
        {"returning", VerticalAxis::Right, 2},
    };
    Series* made[5] = {};
    for (int i = 0; i < 5; ++i) {
        Series& s = chart1.AddSeries();
        s.SetTitle(looks[i].title);
        s.SetAxis(looks[i].axis);
        if (looks[i].lineWidth > 0)
            s.SetLineWidth(looks[i].lineWidth);
        made[i] = &s;
    }
    return {made[0], made[1], made[2], made[3], made[4]};
}

void RecordStatistics(const StatisticsSeries& series, int32_t stepCount, const std::vector<TAgent>& agents)
{
    const RunStatistics s = ComputeRunStatistics(agents);
    const double x = stepCount;
    series.SuccessfulSeries->Add(x, double(s.Successful));
    series.TravelTimeSeries->Add(x, double(s.TravelTime));
    series.MigratedSeries->Add(x, double(s.Migrated));
    series.ReturningSeries->Add(x, double(s.Returning));
}

} // namespace landuse
