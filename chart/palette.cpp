#include "chart/palette.h"

#include <array>

namespace landuse {

namespace {

// Dark enough to read on a white background, far enough apart to tell the
// five statistics lines apart at a glance.
constexpr std::array<Rgb, 12> ChartPalette{{
    {255, 0, 0},     // red
    {0, 128, 0},     // green
    {0, 0, 255},     // blue
    {255, 128, 0},   // orange
    {128, 0, 128},   // purple
    {0, 128, 128},   // teal
    {128, 0, 0},     // maroon
    {128, 128, 0},   // olive
    {0, 0, 128},     // navy
    {255, 0, 255},   // magenta
    {128, 128, 128}, // grey
    {0, 0, 0},       // black
}};

} // namespace

Rgb AutoSeriesColor(std::size_t creationIndex)
{
    return ChartPalette[creationIndex % ChartPalette.size()];
}

std::size_t AutoPaletteSize() { return ChartPalette.size(); }

} // namespace landuse
