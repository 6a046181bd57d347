#include "chart/export_layout.h"

namespace landuse {

bool WritesXValues(const Chart& chart)
{
    for (std::size_t s = 0; s < chart.SeriesCount(); ++s) {
        const std::vector<double>& x = chart.SeriesAt(s).XValues();
        if (x.empty())
            continue;
        for (std::size_t i = 0; i < x.size(); ++i) {
            if (x[i] != double(i))
                return true;
        }
        return false;
    }
    return true;
}

} // namespace landuse
