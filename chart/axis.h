#pragma once

#include "chart/color.h"

namespace landuse {

enum class VerticalAxis { Left, Right };

// Appearance and range of one chart axis. Plain settings: a view reads them
// when it draws, nothing else depends on them.
struct Axis {
    bool visible = true;
    bool automatic = true; // range follows the data; minimum and maximum apply when false
    double minimum = 0.0;
    double maximum = 0.0;
    double increment = 0.0; // step between labels; 0 lets the view choose
    Rgb color{0, 0, 0};
    bool gridVisible = true;
    Rgb gridColor{192, 192, 192};
    bool gridSmallDots = false; // small dots instead of a solid grid line
};

struct ChartBorder {
    bool visible = true;
    int width = 1;
    bool rounded = false;
};

} // namespace landuse
