// landuse-run --animation: the run as an animated GIF, read back with giflib.

#include "analysis/step_label.h"
#include "render/world_raster.h"
#include "sim/simulation.h"

#include "support/gif_decode.h"
#include "support/composed_world.h"
#include "support/shell.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using landuse::test::DecodeGif;
using landuse::test::DecodedGif;
using landuse::test::ReadAll;
using landuse::test::shell;

const std::string Runner = LANDUSE_RUN_EXE;

landuse::test::ShellResult run(const std::string& args) { return shell(Runner + " " + args + " 2>&1"); }

std::vector<uint32_t> decodeJpeg(const fs::path& file)
{
    const auto ppm = shell("djpeg -pnm '" + file.string() + "' 2>/dev/null");
    std::istringstream in(ppm.output);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    std::vector<uint32_t> pixels;
    if (ppm.status != 0 || magic != "P6")
        return pixels;
    const std::string bytes = ppm.output.substr(size_t(in.tellg()) + 1);
    for (size_t i = 0; i + 2 < bytes.size(); i += 3)
        pixels.push_back(0xFF000000u | uint32_t(uint8_t(bytes[i])) << 16 | uint32_t(uint8_t(bytes[i + 1])) << 8
                         | uint8_t(bytes[i + 2]));
    return pixels;
}

// Summed channel differences outside the top left box.
int64_t difference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int width,
                   const landuse::PixelBox& skip)
{
    int64_t sum = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const int x = int(i % size_t(width)), y = int(i / size_t(width));
        if (x < skip.width && y < skip.height)
            continue;
        for (int shift : {0, 8, 16})
            sum += std::abs(int(a[i] >> shift & 0xFF) - int(b[i] >> shift & 0xFF));
    }
    return sum;
}

int worstChannel(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int width,
                 const landuse::PixelBox& skip)
{
    int worst = a.size() == b.size() ? 0 : 255;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (int(i % size_t(width)) < skip.width && int(i / size_t(width)) < skip.height)
            continue;
        for (int shift : {0, 8, 16})
            worst = std::max(worst, std::abs(int(a[i] >> shift & 0xFF) - int(b[i] >> shift & 0xFF)));
    }
    return worst;
}

TEST(RunnerAnimation, KeepsEveryKthStepAndEndsWithThePictureOfTheLastStep)
{
    const fs::path dir = landuse::test::FreshFolder("landuse_anim_");
    const std::string gifFile = (dir / "run.gif").string();
    const auto r = run("--steps 45 --seed 3 --set CB_showAg=1 --animation " + gifFile + " --every 10 --picture "
                       + (dir / "end.jpg").string());
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(landuse::test::NamesIn(dir), (std::set<std::string>{"end.jpg", "run.gif"}));
    const DecodedGif gif = DecodeGif(ReadAll(gifFile));
    ASSERT_TRUE(gif.ok);
    EXPECT_EQ(gif.width, 404);
    EXPECT_EQ(gif.height, 404);
    EXPECT_TRUE(gif.loops);
    ASSERT_EQ(gif.frames.size(), 5u) << "steps 10, 20, 30, 40 and the last, 45";
    const std::vector<uint32_t> picture = decodeJpeg(dir / "end.jpg");
    ASSERT_EQ(picture.size(), size_t(404 * 404)) << "djpeg cannot decode the picture; run scripts/install-deps.sh";
    const landuse::PixelBox label = landuse::StepLabelBox(45);
    const int64_t last = difference(gif.frames.back(), picture, 404, label);
    const int64_t before = difference(gif.frames[3], picture, 404, label);
    // JPEG's own loss only, a level a channel on average; step 40 differs more.
    EXPECT_LT(last, int64_t(404) * 404 * 3);
    EXPECT_LT(last * 2, before);
    // Against the world itself: equal up to the palette's lost low bit.
    const std::vector<uint32_t> world = landuse::test::ComposedWorld(3, 45, {"CB_showAg=1"});
    EXPECT_LE(worstChannel(gif.frames.back(), world, 404, label), 1);
    EXPECT_GT(worstChannel(gif.frames[3], world, 404, label), 1);
    // The label holds black digits on white, and differs between frames.
    size_t black = 0;
    for (int y = 0; y < label.height; ++y)
        for (int x = 0; x < label.width; ++x) {
            const uint32_t p = gif.frames.back()[size_t(y) * 404 + size_t(x)];
            EXPECT_TRUE(p == 0xFF000000u || p == 0xFFFFFFFFu);
            black += p == 0xFF000000u;
        }
    EXPECT_GT(black, 0u);
}

TEST(RunnerAnimation, CountsFramesForEveryChoiceOfK)
{
    const fs::path dir = landuse::test::FreshFolder("landuse_anim_");
    const struct {
        std::string args;
        size_t frames;
    } cases[] = {
        {"--steps 3 --every 1", 3},
        {"--steps 30", 3},  // the default K is 10
        {"--steps 31", 4},  // and the last step joins them
        {"--steps 0", 1},   // the world as set up
        {"--steps 5 --every 50", 1},
    };
    for (const auto& c : cases) {
        const std::string file = (dir / "a.gif").string();
        const auto r = run(c.args + " --seed 1 --set Edit_size=8 --animation " + file);
        ASSERT_EQ(r.status, 0) << c.args << ": " << r.output;
        const DecodedGif gif = DecodeGif(ReadAll(file));
        ASSERT_TRUE(gif.ok) << c.args;
        EXPECT_EQ(gif.frames.size(), c.frames) << c.args;
    }
}

TEST(RunnerAnimation, RefusesBadOptionsAndLeavesNothingBehind)
{
    const fs::path dir = landuse::test::FreshFolder("landuse_anim_");
    const std::string d = dir.string();
    const struct {
        std::string args;
        std::string message;
    } cases[] = {
        {"--steps 5 --every 3", "--every needs --animation FILE.gif"},
        {"--steps 5 --animation " + d + "/a.gif --every 0", "--every: keep every K-th step with K 1 or more, not 0"},
        {"--steps 5 --animation " + d + "/a.gif --every x", "'x' is not a valid value for --every"},
        {"--steps 5 --animation " + d + "/missing/a.gif", "Cannot write \"" + d + "/missing/a.gif\""},
        {"--steps 5 --animation " + d + "/w.jpg --picture " + d + "/w.jpg", "name the same file"},
    };
    for (const auto& c : cases) {
        const auto r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << c.args << ": " << r.output;
        EXPECT_TRUE(landuse::test::NamesIn(dir).empty()) << c.args;
    }
}

TEST(RunnerAnimation, EightHundredStepsEveryTenStayFarUnderTenMegabytes)
{
    const fs::path dir = landuse::test::FreshFolder("landuse_anim_");
    const std::string file = (dir / "long.gif").string();
    const auto r = run("--steps 800 --seed 11 --animation " + file);
    ASSERT_EQ(r.status, 0) << r.output;
    const std::string bytes = ReadAll(file);
    EXPECT_LT(bytes.size(), size_t(10) << 20);
    const DecodedGif gif = DecodeGif(bytes);
    ASSERT_TRUE(gif.ok);
    EXPECT_EQ(gif.frames.size(), 80u);
}

} // namespace
