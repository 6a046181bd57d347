#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "../chart/export_test_support.h"
#include "files/bmp_file.h"
#include "files/export_error.h"
#include "files/jpeg_file.h"

namespace landuse {
namespace {

using testing::ScratchDir;

// Left half red, right half blue, so swapped channels or mirrored rows show.
RgbImage Halves(int width, int height)
{
    RgbImage image{width, height, std::vector<std::uint8_t>(std::size_t(width * height * 3), 0)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.rgb[std::size_t((y * width + x) * 3 + (x < width / 2 ? 0 : 2))] = 255;
    return image;
}

std::string ErrorOf(const std::filesystem::path& name)
{
    try {
        ConvertToJpeg(name, 100);
    } catch (const ExportError& e) {
        return e.what();
    }
    return "no error";
}

TEST(JpegConvert, ReplacesTheBmpByAJpegThatDjpegDecodes)
{
    ScratchDir dir;
    SaveBmp(dir.path() / "run.5_1.bmp", Halves(64, 48));
    ConvertToJpeg(dir.path() / "run.5_1", 100);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "run.5_1.bmp"));

    ASSERT_EQ(testing::RunCommand("command -v djpeg >/dev/null").exitCode, 0)
        << "djpeg is missing; run scripts/install-deps.sh";
    std::string command = "djpeg -pnm ";
    command += testing::Quoted(dir.path() / "run.5_1.jpg");
    const auto ppm = testing::RunCommand(command);
    ASSERT_EQ(ppm.exitCode, 0) << "djpeg cannot decode the file";
    std::istringstream in(ppm.output);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    EXPECT_EQ(magic + " " + std::to_string(width) + "x" + std::to_string(height), "P6 64x48");
    const std::string pixels = ppm.output.substr(std::size_t(in.tellg()) + 1);
    ASSERT_EQ(pixels.size(), 64u * 48u * 3u);
    const auto at = [&](int x, int y, int c) { return int(std::uint8_t(pixels[std::size_t((y * 64 + x) * 3 + c)])); };
    EXPECT_GT(at(5, 40, 0), 240);
    EXPECT_LT(at(5, 40, 2), 15);
    EXPECT_LT(at(60, 3, 0), 15);
    EXPECT_GT(at(60, 3, 2), 240);
}

TEST(JpegConvert, FailuresNameTheFileAndLeaveNoJpeg)
{
    ScratchDir dir;
    const std::string bmp = (dir.path() / "pic.bmp").string();
    const std::string jpg = (dir.path() / "pic.jpg").string();
    EXPECT_EQ(ErrorOf(dir.path() / "pic"), "Cannot read \"" + bmp + "\": No such file or directory");
    std::ofstream(bmp) << "BM but nothing more";
    EXPECT_EQ(ErrorOf(dir.path() / "pic"), "Cannot read \"" + bmp + "\": BMP header is cut short");
    EXPECT_FALSE(std::filesystem::exists(jpg));

    SaveBmp(bmp, Halves(4, 4));
    std::filesystem::create_directory(jpg); // nothing can be written there
    EXPECT_EQ(ErrorOf(dir.path() / "pic"), "Cannot write \"" + jpg + "\": " + std::strerror(EISDIR));
    EXPECT_TRUE(std::filesystem::exists(bmp)) << "the BMP stays when the JPEG failed";
    EXPECT_FALSE(std::filesystem::exists(jpg + ".part"));
}

TEST(JpegConvert, QualityReachesTheEncoder)
{
    EXPECT_THROW(EncodeJpeg(Halves(2, 2), 101), std::invalid_argument);
    EXPECT_THROW(EncodeJpeg(Halves(2, 2), -1), std::invalid_argument);
    EXPECT_LT(EncodeJpeg(Halves(64, 64), 10).size(), EncodeJpeg(Halves(64, 64), 100).size());
}

} // namespace
} // namespace landuse
