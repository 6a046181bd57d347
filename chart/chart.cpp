#include "chart/chart.h"

#include <stdexcept>

#include "chart/palette.h"

namespace landuse {

Chart::~Chart()
{
    // A dying chart tells nobody: its observers may be half gone already.
    for (auto& series : series_)
        series->observers_ = nullptr;
}

void Chart::SetTitle(std::string line)
{
    title_.clear();
    title_.push_back(std::move(line));
    observers_.Notify({ChartChange::TitleChanged, nullptr});
}

void Chart::AddTitleLine(std::string line)
{
    title_.push_back(std::move(line));
    observers_.Notify({ChartChange::TitleChanged, nullptr});
}

Series& Chart::AddSeries()
{
    auto series = std::make_unique<Series>();
    series->color_ = AutoSeriesColor(series_.size());
    series->observers_ = &observers_;
    Series& added = *series;
    series_.push_back(std::move(series));
    observers_.Notify({ChartChange::SeriesAdded, &added});
    return added;
}

Series& Chart::AddFunctionSeries(SeriesFunction function)
{
    Series& series = AddSeries();
    series.SetFunction(function);
    return series;
}

Series& Chart::SeriesAt(std::size_t index)
{
    if (index >= series_.size())
        throw std::out_of_range("series index " + std::to_string(index) + " out of range");
    return *series_[index];
}

const Series& Chart::SeriesAt(std::size_t index) const
{
    if (index >= series_.size())
        throw std::out_of_range("series index " + std::to_string(index) + " out of range");
    return *series_[index];
}

std::optional<std::size_t> Chart::IndexOf(const Series& series) const
{
    for (std::size_t i = 0; i < series_.size(); ++i) {
        if (series_[i].get() == &series)
            return i;
    }
    return std::nullopt;
}

bool Chart::RemoveSeries(const Series& series)
{
    const auto index = IndexOf(series);
    if (!index)
        return false;
    RemoveAt(*index);
    return true;
}

void Chart::RemoveAllSeries()
{
    while (!series_.empty())
        RemoveAt(series_.size() - 1);
}

ObserverList::Id Chart::AddObserver(ChartObserver observer)
{
    return observers_.Add(std::move(observer));
}

void Chart::RemoveObserver(ObserverList::Id id) { observers_.Remove(id); }

void Chart::RemoveAt(std::size_t index)
{
    std::unique_ptr<Series> removed = std::move(series_[index]);
    series_.erase(series_.begin() + std::ptrdiff_t(index));
    observers_.Notify({ChartChange::SeriesRemoved, removed.get()});
    removed->observers_ = nullptr;
    // Destroying it now unlinks its source and dependants, whose results
    // change and are announced through their own charts.
}

} // namespace landuse
