#include "chart/series.h"

#include <algorithm>
#include <stdexcept>

#include "chart/observer_list.h"

namespace landuse {

Series::~Series()
{
    observers_ = nullptr;
    if (source_)
        std::erase(source_->dependants_, this);
    // Each dependant unlinks itself; taking the list first keeps that safe.
    const std::vector<Series*> dependants = std::move(dependants_);
    dependants_.clear();
    for (Series* dependant : dependants)
        dependant->OnSourceGone();
}

void Series::SetTitle(std::string title)
{
    title_ = std::move(title);
    Notify(ChartChange::SeriesStyleChanged);
}

void Series::SetColor(Rgb color)
{
    color_ = color;
    colorSet_ = true;
    Notify(ChartChange::SeriesStyleChanged);
}

void Series::SetAxis(VerticalAxis axis)
{
    axis_ = axis;
    Notify(ChartChange::SeriesStyleChanged);
}

void Series::SetActive(bool active)
{
    active_ = active;
    Notify(ChartChange::SeriesStyleChanged);
}

void Series::SetLineWidth(int width)
{
    lineWidth_ = width;
    Notify(ChartChange::SeriesStyleChanged);
}

void Series::SetMarkers(const Marker& markers)
{
    markers_ = markers;
    Notify(ChartChange::SeriesStyleChanged);
}

void Series::Add(double x, double y)
{
    x_.push_back(x);
    y_.push_back(y);
    // By index: a dependant's observers may relink series while we loop.
    for (std::size_t i = 0; i < dependants_.size(); ++i)
        dependants_[i]->OnSourceAppended(x, y);
    Notify(ChartChange::PointAppended);
}

void Series::Clear()
{
    x_.clear();
    y_.clear();
    ResetDependants();
    Notify(ChartChange::PointsCleared);
}

void Series::Reserve(std::size_t points)
{
    x_.reserve(points);
    y_.reserve(points);
}

void Series::SetFunction(SeriesFunction function)
{
    function_ = function;
    Recompute();
}

void Series::SetSource(Series* source)
{
    for (const Series* s = source; s; s = s->source_) {
        if (s == this)
            throw std::invalid_argument("a series cannot be computed from itself");
    }
    if (source_)
        std::erase(source_->dependants_, this);
    source_ = source;
    if (source_)
        source_->dependants_.push_back(this);
    Recompute();
}

void Series::Notify(ChartChange change)
{
    if (observers_)
        observers_->Notify({change, this});
}

void Series::Recompute()
{
    if (function_ == SeriesFunction::None)
        return;
    sums_ = source_ ? SumPoints(source_->x_, source_->y_) : PointSums{};
    PublishResult();
}

void Series::OnSourceAppended(double x, double y)
{
    if (function_ == SeriesFunction::None)
        return;
    AddToSums(sums_, x, y);
    PublishResult();
}

void Series::OnSourceGone()
{
    source_ = nullptr;
    Recompute();
}

void Series::PublishResult()
{
    if (source_)
        ComputeFunctionPoints(function_, sums_, x_, y_);
    else {
        x_.clear();
        y_.clear();
    }
    ResetDependants();
    Notify(ChartChange::PointsReplaced);
}

void Series::ResetDependants()
{
    for (std::size_t i = 0; i < dependants_.size(); ++i)
        dependants_[i]->Recompute();
}

} // namespace landuse
