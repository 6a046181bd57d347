#pragma once

#include <functional>

namespace landuse {

class Series;

enum class ChartChange {
    SeriesAdded,
    SeriesRemoved,      // sent after the series left the list, before it is destroyed
    PointAppended,
    PointsCleared,
    PointsReplaced,     // a computed series got new results
    SeriesStyleChanged, // title, colour, axis, line, markers or active flag
    TitleChanged,
};

struct ChartEvent {
    ChartChange change;
    const Series* series = nullptr; // null for TitleChanged
};

using ChartObserver = std::function<void(const ChartEvent&)>;

} // namespace landuse
