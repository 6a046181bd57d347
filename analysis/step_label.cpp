#include "analysis/step_label.h"

#include <algorithm>
#include <array>
#include <string>

namespace landuse {

namespace {

constexpr int Scale = 2;   // pixels per font dot
constexpr int Pad = 2;     // white around the digits, in pixels
constexpr int GlyphW = 3;  // font dots
constexpr int GlyphH = 5;
constexpr int Gap = 1;     // font dots between glyphs

// Rows from the top, bit 2 the left dot; '0'..'9' then '-'.
constexpr std::array<std::array<uint8_t, GlyphH>, 11> Glyphs = {{
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7},
    {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}, {0, 0, 7, 0, 0},
}};

std::string digitsOf(int64_t number)
{
    // Through unsigned, so the most negative number has digits too.
    const bool negative = number < 0;
    uint64_t magnitude = negative ? 0 - uint64_t(number) : uint64_t(number);
    std::string text;
    do {
        text.insert(text.begin(), char('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude);
    if (negative)
        text.insert(text.begin(), '-');
    return text;
}

} // namespace

PixelBox StepLabelBox(int64_t number)
{
    const int glyphs = int(digitsOf(number).size());
    return {0, 0, 2 * Pad + (glyphs * (GlyphW + Gap) - Gap) * Scale, 2 * Pad + GlyphH * Scale};
}

PixelBox DrawStepLabel(uint32_t* pixels, int width, int height, int64_t number)
{
    const std::string text = digitsOf(number);
    PixelBox box = StepLabelBox(number);
    box.width = std::min(box.width, std::max(width, 0));
    box.height = std::min(box.height, std::max(height, 0));
    const auto put = [&](int x, int y, uint32_t colour) {
        if (x < box.width && y < box.height)
            pixels[size_t(y) * size_t(width) + size_t(x)] = colour;
    };
    for (int y = 0; y < box.height; ++y)
        for (int x = 0; x < box.width; ++x)
            put(x, y, 0xFFFFFFFFu);
    for (size_t g = 0; g < text.size(); ++g) {
        const auto& glyph = Glyphs[text[g] == '-' ? 10 : size_t(text[g] - '0')];
        const int left = Pad + int(g) * (GlyphW + Gap) * Scale;
        for (int row = 0; row < GlyphH; ++row)
            for (int col = 0; col < GlyphW; ++col)
                if (glyph[size_t(row)] >> (GlyphW - 1 - col) & 1)
                    for (int dy = 0; dy < Scale; ++dy)
                        for (int dx = 0; dx < Scale; ++dx)
                            put(left + col * Scale + dx, Pad + row * Scale + dy, 0xFF000000u);
    }
    return box;
}

} // namespace landuse
