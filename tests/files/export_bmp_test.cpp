#include <gtest/gtest.h>

#include "../chart/export_test_support.h"
#include "files/bmp_file.h"

namespace landuse {
namespace {

using testing::BytesFromHex;
using testing::Hex;

// 1 by 2 picture, top pixel (R,G,B) = (1,2,3), bottom (4,5,6). Rows of 3
// bytes are padded to 4; the bottom row comes first, bytes in B,G,R order.
// File size 54 + 2·4 = 62; 2835 pixels per metre is 72 dpi.
constexpr const char* OneByTwoBmp = "42 4D  3E 00 00 00  00 00 00 00  36 00 00 00 "
                                  "28 00 00 00  01 00 00 00  02 00 00 00  01 00  18 00 "
                                  "00 00 00 00  08 00 00 00  13 0B 00 00  13 0B 00 00 "
                                  "00 00 00 00  00 00 00 00 "
                                  "06 05 04 00  03 02 01 00";

TEST(BmpFile, WritesAndReadsTheHandCheckedLayout)
{
    EXPECT_EQ(Hex(EncodeBmp(RgbImage{1, 2, {1, 2, 3, 4, 5, 6}})), Hex(BytesFromHex(OneByTwoBmp)));

    RgbImage odd{5, 3, {}}; // 15-byte rows need one byte of padding each
    for (int i = 0; i < 5 * 3 * 3; ++i)
        odd.rgb.push_back(std::uint8_t(17 * i));
    const RgbImage back = DecodeBmp(EncodeBmp(odd));
    EXPECT_EQ(back.width, 5);
    EXPECT_EQ(back.height, 3);
    EXPECT_EQ(back.rgb, odd.rgb);

    std::string topDown = BytesFromHex(OneByTwoBmp);
    topDown[22] = char(0xFE); // height −2: the first stored row is the top one
    topDown[23] = topDown[24] = topDown[25] = char(0xFF);
    EXPECT_EQ(DecodeBmp(topDown).rgb, (std::vector<std::uint8_t>{4, 5, 6, 1, 2, 3}));
}

TEST(BmpFile, RejectsWhatItCannotRead)
{
    const std::string good = BytesFromHex(OneByTwoBmp);
    std::string eightBit = good;
    eightBit[28] = 8;
    std::string compressed = good;
    compressed[30] = 1;
    for (const auto& [bytes, reason] : {std::pair{std::string("GIF89a"), "not a BMP file"},
                                        {good.substr(0, 40), "header is cut short"},
                                        {good.substr(0, 60), "pixel data is cut short"},
                                        {eightBit, "only 24-bit BMPs are supported, this one has 8 bits per pixel"},
                                        {compressed, "compressed"}}) {
        try {
            DecodeBmp(bytes);
            ADD_FAILURE() << "accepted: " << reason;
        } catch (const BmpFormatError& e) {
            EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(EncodeBmp(RgbImage{2, 2, {1, 2, 3}}), std::invalid_argument);
}

} // namespace
} // namespace landuse
