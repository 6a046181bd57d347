#pragma once

#include <cstddef>

#include "chart/color.h"

namespace landuse {

// Colour of a series whose colour was never set: the chart hands them out in
// creation order and starts over after the palette's last entry.
Rgb AutoSeriesColor(std::size_t creationIndex);

std::size_t AutoPaletteSize();

} // namespace landuse
