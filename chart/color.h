#pragma once

#include <cstdint>

namespace landuse {

// A 24-bit colour, kept as three named bytes so no reader has to guess at
// which end of a packed integer red lives.
struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

} // namespace landuse
