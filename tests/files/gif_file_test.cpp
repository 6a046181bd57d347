// Animated GIF pictures and the step label, read back with giflib.

#include "files/export_error.h"
#include "files/gif_file.h"
#include "analysis/step_label.h"
#include "analysis/world_animation.h"

#include "support/gif_decode.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

namespace landuse {
namespace {

namespace fs = std::filesystem;
using test::DecodeGif;

std::vector<uint32_t> stripes(int width, int height, std::initializer_list<uint32_t> colours)
{
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    const std::vector<uint32_t> c(colours);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = c[(i / 3) % c.size()];
    return pixels;
}

TEST(GifWriter, FramesReadBackExactlyWhenTheyHoldFewColours)
{
    std::string bytes;
    GifWriter gif(7, 5, 10, [&](std::string_view b) { bytes += b; });
    const auto first = stripes(7, 5, {0xFFFFFFFF, 0xFF008000, 0xFFFF0000, 0xFF000080});
    const auto second = stripes(7, 5, {0xFF00FF00});
    gif.addFrame(first.data());
    gif.addFrame(second.data());
    gif.finish();
    const test::DecodedGif read = DecodeGif(bytes);
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.width, 7);
    EXPECT_EQ(read.height, 5);
    EXPECT_TRUE(read.loops);
    ASSERT_EQ(read.frames.size(), 2u);
    EXPECT_EQ(read.frames[0], first);
    EXPECT_EQ(read.frames[1], second);
    EXPECT_EQ(read.delays, (std::vector<int>{10, 10}));
}

TEST(GifWriter, ManyColoursLoseOnlyLowBits)
{
    // 256 greys and two colours: one bit too many for a palette.
    const int width = 258, height = 2;
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(x < 256 ? 0xFF000000u | uint32_t(x) * 0x010101u : x == 256 ? 0xFFFF0000u : 0xFF0066CCu);
    std::string bytes;
    GifWriter gif(width, height, 5, [&](std::string_view b) { bytes += b; });
    gif.addFrame(pixels.data());
    gif.finish();
    const test::DecodedGif read = DecodeGif(bytes);
    ASSERT_TRUE(read.ok);
    ASSERT_EQ(read.frames.size(), 1u);
    int worst = 0;
    for (size_t i = 0; i < pixels.size(); ++i)
        for (int shift : {0, 8, 16})
            worst = std::max(worst, std::abs(int(pixels[i] >> shift & 0xFF) - int(read.frames[0][i] >> shift & 0xFF)));
    EXPECT_EQ(worst, 1); // one bit dropped, the middle of its range kept
}

TEST(GifWriter, HandsOnEveryFrameAtOnceAndRefusesBadSizes)
{
    std::vector<size_t> sizes;
    std::string bytes;
    GifWriter gif(40, 40, 10, [&](std::string_view b) {
        bytes += b;
        sizes.push_back(bytes.size());
    });
    const size_t header = bytes.size();
    EXPECT_GT(header, 0u);
    const auto white = stripes(40, 40, {0xFFFFFFFF, 0xFF000000});
    for (int i = 0; i < 3; ++i) {
        const size_t before = bytes.size();
        gif.addFrame(white.data());
        EXPECT_GT(bytes.size(), before) << "frame " << i << " stayed in the writer";
    }
    gif.finish();
    EXPECT_EQ(bytes.back(), ';');
    EXPECT_THROW(GifWriter(0, 5, 10, [](std::string_view) {}), std::invalid_argument);
    EXPECT_THROW(GifWriter(5, 70000, 10, [](std::string_view) {}), std::invalid_argument);
    EXPECT_THROW(GifWriter(5, 5, -1, [](std::string_view) {}), std::invalid_argument);
}

TEST(StepLabel, DrawsDigitsInTheCornerAndStaysInsideSmallPictures)
{
    std::vector<uint32_t> picture(100 * 40, 0xFF008000u);
    const PixelBox box = DrawStepLabel(picture.data(), 100, 40, 1234567890);
    EXPECT_EQ(box.x, 0);
    EXPECT_EQ(box.y, 0);
    EXPECT_EQ(box.width, 2 * 2 + (10 * 4 - 1) * 2);
    EXPECT_EQ(box.height, 2 * 2 + 5 * 2);
    size_t black = 0, white = 0, green = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x) {
            const uint32_t p = picture[size_t(y) * 100 + size_t(x)];
            const bool inside = x < box.width && y < box.height;
            black += p == 0xFF000000u;
            white += p == 0xFFFFFFFFu;
            green += p == 0xFF008000u;
            if (!inside) {
                EXPECT_EQ(p, 0xFF008000u) << x << "," << y;
            }
        }
    // The dots of "1" to "9" and "0" in a 3 by 5 font, 4 pixels each.
    const size_t dots = 8 + 11 + 11 + 9 + 11 + 12 + 7 + 13 + 12 + 12;
    EXPECT_EQ(black, dots * 4);
    EXPECT_EQ(black + white, size_t(box.width * box.height));
    // "8" has more dots than "1": the number is drawn, not a box.
    std::vector<uint32_t> one(20 * 20, 0xFFFFFFFFu), eight(20 * 20, 0xFFFFFFFFu);
    DrawStepLabel(one.data(), 20, 20, 1);
    DrawStepLabel(eight.data(), 20, 20, 8);
    EXPECT_LT(std::count(one.begin(), one.end(), 0xFF000000u), std::count(eight.begin(), eight.end(), 0xFF000000u));
    // A picture smaller than the label: cut, nothing written beyond it.
    std::vector<uint32_t> tiny(5 * 3 + 1, 0xFF123456u);
    const PixelBox cut = DrawStepLabel(tiny.data(), 5, 3, -42);
    EXPECT_EQ(cut.width, 5);
    EXPECT_EQ(cut.height, 3);
    EXPECT_EQ(tiny.back(), 0xFF123456u);
    EXPECT_GT(StepLabelBox(-42).width, StepLabelBox(42).width);
}

TEST(AnimationFile, TakesItsNameOnlyWhenCommitted)
{
    const fs::path dir = test::FreshFolder("landuse_gif_");
    {
        AnimationFile dropped(dir / "dropped.gif", 10);
        EXPECT_EQ(test::NamesIn(dir), (std::set<std::string>{"dropped.gif.part"}));
    }
    EXPECT_TRUE(test::NamesIn(dir).empty()) << "a dropped recording leaves nothing";
    EXPECT_THROW(AnimationFile(dir / "missing" / "a.gif", 10), ExportError);
    EXPECT_THROW(AnimationFile(dir / "b.gif", 0), std::invalid_argument);
    EXPECT_TRUE(test::NamesIn(dir).empty());
}

} // namespace
} // namespace landuse

namespace landuse {
namespace {

TEST(GifWriter, ASinkThatFailsEndsTheFrameWithItsError)
{
    int calls = 0;
    GifWriter gif(8, 8, 10, [&](std::string_view) {
        if (++calls == 2)
            throw ExportError("Cannot write \"a.gif\": No space left on device");
    });
    const auto pixels = stripes(8, 8, {0xFFFFFFFF});
    try {
        gif.addFrame(pixels.data());
        FAIL() << "the sink's error went missing";
    } catch (const ExportError& e) {
        EXPECT_STREQ(e.what(), "Cannot write \"a.gif\": No space left on device");
    }
    EXPECT_EQ(gif.frames(), 0);
}

} // namespace
} // namespace landuse
