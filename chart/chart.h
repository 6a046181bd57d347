#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "chart/axis.h"
#include "chart/chart_event.h"
#include "chart/color.h"
#include "chart/observer_list.h"
#include "chart/series.h"

namespace landuse {

// A line chart's data: title, series in creation order, axes and looks.
// Drawing belongs to a view, which registers an observer to learn of changes.
class Chart {
public:
    Chart() = default;
    ~Chart();
    Chart(const Chart&) = delete;
    Chart& operator=(const Chart&) = delete;

    // Looks, read by a view when it draws.
    bool legendVisible = true;
    Axis leftAxis;
    Axis rightAxis;
    Axis bottomAxis;
    bool view3D = false;
    Rgb backgroundColor{255, 255, 255};
    Rgb backWallColor{255, 255, 255};
    bool backWallFilled = false;
    ChartBorder border;

    const std::vector<std::string>& TitleLines() const { return title_; }
    void SetTitle(std::string line); // the one line replaces all others
    void AddTitleLine(std::string line);

    // The new series takes the next automatic colour.
    Series& AddSeries();
    Series& AddFunctionSeries(SeriesFunction function);

    std::size_t SeriesCount() const { return series_.size(); }
    Series& SeriesAt(std::size_t index);             // throws std::out_of_range
    const Series& SeriesAt(std::size_t index) const; // throws std::out_of_range
    std::optional<std::size_t> IndexOf(const Series& series) const;

    // Destroys the series; series computed from it lose their source. False
    // when the series is not on this chart.
    bool RemoveSeries(const Series& series);
    void RemoveAllSeries();

    ObserverList::Id AddObserver(ChartObserver observer);
    void RemoveObserver(ObserverList::Id id);

private:
    void RemoveAt(std::size_t index);

    std::vector<std::string> title_;
    ObserverList observers_;
    std::vector<std::unique_ptr<Series>> series_;
};

} // namespace landuse
