#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "chart/axis.h"
#include "chart/chart_event.h"
#include "chart/color.h"
#include "chart/palette.h"
#include "chart/series_function.h"

namespace landuse {

class Chart;
class ObserverList;

enum class MarkerShape { Cross, Rectangle };

struct Marker {
    bool visible = false;
    MarkerShape shape = MarkerShape::Rectangle;
    int width = 4;  // pixels
    int height = 4; // pixels

    friend bool operator==(const Marker&, const Marker&) = default;
};

// Names of the two value lists, as the file writers label them.
inline constexpr std::string_view XValuesName = "X";
inline constexpr std::string_view YValuesName = "Y";

// A line series. With a function (least squares, correlation) and a source
// series its points are computed from the source and follow every change of
// it at once. Source and dependants know each other, and either side's
// destruction unlinks the other, so no pointer outlives its series.
class Series {
public:
    Series() = default;
    ~Series();
    Series(const Series&) = delete;
    Series& operator=(const Series&) = delete;

    // Every series kind this system uses draws as a line.
    std::string_view TypeName() const { return "Line"; }

    const std::string& Title() const { return title_; }
    void SetTitle(std::string title);

    Rgb Color() const { return color_; }
    bool ColorSet() const { return colorSet_; }
    void SetColor(Rgb color);

    VerticalAxis OnAxis() const { return axis_; }
    void SetAxis(VerticalAxis axis);

    // An inactive series is not drawn but keeps its points and is exported.
    bool Active() const { return active_; }
    void SetActive(bool active);

    int LineWidth() const { return lineWidth_; }
    void SetLineWidth(int width);

    const Marker& Markers() const { return markers_; }
    void SetMarkers(const Marker& markers);

    std::size_t Count() const { return x_.size(); }
    double X(std::size_t i) const { return x_.at(i); }
    double Y(std::size_t i) const { return y_.at(i); }
    const std::vector<double>& XValues() const { return x_; }
    const std::vector<double>& YValues() const { return y_; }

    void Add(double x, double y);
    void Clear();
    void Reserve(std::size_t points);

    // Points are computed from the source only while a function is set;
    // without a source the result is empty. Setting None stops the
    // computation and leaves the points as they are.
    SeriesFunction Function() const { return function_; }
    void SetFunction(SeriesFunction function);

    // Null detaches. Throws std::invalid_argument when the series would
    // become its own source, directly or through other series.
    const Series* Source() const { return source_; }
    void SetSource(Series* source);

private:
    friend class Chart;

    void Notify(ChartChange change);
    void Recompute();
    void OnSourceAppended(double x, double y);
    void OnSourceGone();
    void PublishResult();
    void ResetDependants();

    std::string title_;
    Rgb color_ = AutoSeriesColor(0);
    bool colorSet_ = false;
    VerticalAxis axis_ = VerticalAxis::Left;
    bool active_ = true;
    int lineWidth_ = 1;
    Marker markers_;

    std::vector<double> x_;
    std::vector<double> y_;

    SeriesFunction function_ = SeriesFunction::None;
    Series* source_ = nullptr;
    PointSums sums_;
    std::vector<Series*> dependants_;

    ObserverList* observers_ = nullptr; // the owning chart's, if any
};

} // namespace landuse
