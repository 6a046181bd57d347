#pragma once
// A step number drawn into a picture, in a bitmap font of our own: black
// digits on a white box in the top left corner, two pixels per font dot.

#include <cstdint>

namespace landuse {

struct PixelBox {
    int x = 0, y = 0, width = 0, height = 0;
};

// Draws the number into width * height 0xFFRRGGBB words and returns the box
// it covered (cut to the picture). Negative numbers get a minus sign.
PixelBox DrawStepLabel(uint32_t* pixels, int width, int height, int64_t number);

// The box DrawStepLabel covers for the number, before any cut.
PixelBox StepLabelBox(int64_t number);

} // namespace landuse
