#pragma once

#include <cstdint>
#include <vector>

namespace landuse {

// A picture in memory: rows from top to bottom, three bytes (red, green,
// blue) per pixel, no padding. rgb.size() is width · height · 3.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

} // namespace landuse
