#include "model/numtext.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>

using namespace landuse;

TEST(NumText, IntegersAcceptSignDigitsAndBlanks)
{
    EXPECT_EQ(StrToInt("2400"), 2400);
    EXPECT_EQ(StrToInt(" -7 "), -7);
    EXPECT_EQ(StrToInt("+12"), 12);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), -2147483648LL);
}

TEST(NumText, BadIntegersNameTheText)
{
    for (const char* bad : {"", "abc", "1,5", "12a", "2147483648", "-", " "}) {
        try {
            StrToInt(bad);
            FAIL() << "accepted '" << bad << "'";
        } catch (const ConvertError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid integer value");
        }
    }
}

TEST(NumText, RealsTakeCommaOrPointAndExponent)
{
    EXPECT_DOUBLE_EQ(StrToFloat("0,99"), 0.99);
    EXPECT_DOUBLE_EQ(StrToFloat("0.5"), 0.5);
    EXPECT_DOUBLE_EQ(StrToFloat("-1,0"), -1.0);
    EXPECT_DOUBLE_EQ(StrToFloat("1E-5"), 1e-5);
    EXPECT_DOUBLE_EQ(StrToFloat("4,8"), 4.8);
    EXPECT_DOUBLE_EQ(StrToFloat(" 12 "), 12.0);
    EXPECT_DOUBLE_EQ(StrToFloat(",5"), 0.5);
}

TEST(NumText, BadRealsNameTheText)
{
    for (const char* bad : {"0,", "", "1,2,3", "e5", "1E", "abc", "1E400", "nan", "inf"}) {
        try {
            StrToFloat(bad);
            FAIL() << "accepted '" << bad << "'";
        } catch (const ConvertError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid floating point value");
        }
    }
}

TEST(NumText, WritesGeneralFormWithComma)
{
    EXPECT_EQ(FloatToStr(0.5), "0,5");
    EXPECT_EQ(FloatToStr(57.0), "57");
    EXPECT_EQ(FloatToStr(-1.0), "-1");
    EXPECT_EQ(FloatToStr(1e-5), "1E-5");
    EXPECT_EQ(FloatToStr(1.5e20), "1,5E20");
    EXPECT_EQ(FloatToStr(-2.25e-7), "-2,25E-7");
    EXPECT_EQ(FloatToStr(0.0001), "0,0001");
    EXPECT_EQ(FloatToStr(1e15), "1E15");
    EXPECT_EQ(FloatToStr(123456789012345.0), "123456789012345");
    EXPECT_EQ(FloatToStr(0.1 + 0.2), "0,3");
    EXPECT_EQ(FloatToStr(1.0 / 3.0), "0,333333333333333");
    EXPECT_EQ(FloatToStr(0.0), "0");
    EXPECT_EQ(IntToStr(-42), "-42");
}

TEST(NumText, RoundsHalvesToEven)
{
    EXPECT_EQ(RoundToInt(12.5), 12);
    EXPECT_EQ(RoundToInt(13.5), 14);
    EXPECT_EQ(RoundToInt(-0.5), 0);
    EXPECT_EQ(RoundToInt(12.6), 13);
    EXPECT_EQ(RoundToInt(44.5L), 44);
    EXPECT_EQ(RoundToInt(45.5L), 46);
    EXPECT_DOUBLE_EQ(RoundToDecimals(1.23456, 3), 1.235);
    EXPECT_DOUBLE_EQ(RoundToDecimals(-0.98765, 3), -0.988);
    // 0.0625 / 0.001 and 0.0125 / 0.001 are exact halves: to even.
    EXPECT_DOUBLE_EQ(RoundToDecimals(0.0625, 3), 0.062);
    EXPECT_DOUBLE_EQ(RoundToDecimals(0.0125, 3), 0.012);
    EXPECT_DOUBLE_EQ(RoundToDecimals(0.0625, 2), 0.06);
}

TEST(NumText, DataNumbersAreShortestWithPointAndReadBackExactly)
{
    EXPECT_EQ(DataNumber(0.1), "0.1");
    EXPECT_EQ(DataNumber(1e-5), "1e-05");
    EXPECT_EQ(DataNumber(1.5e20), "1.5e+20");
    EXPECT_EQ(DataNumber(-2.25e-7), "-2.25e-07");
    EXPECT_EQ(DataNumber(57.0), "57");
    // Seventeen digits where fifteen would read back as another double.
    EXPECT_EQ(DataNumber(0.1 + 0.2), "0.30000000000000004");

    const double values[] = {0.1 + 0.2,
                             1.0 / 3.0,
                             -1234567.125,
                             -2.25e-7,
                             9007199254740993.0,
                             std::numeric_limits<double>::denorm_min(),
                             -std::numeric_limits<double>::min(),
                             std::numeric_limits<double>::max(),
                             -std::numeric_limits<double>::max(),
                             -0.0};
    for (double v : values) {
        const std::string text = DataNumber(v);
        double back = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), back);
        ASSERT_EQ(ec, std::errc()) << text;
        EXPECT_EQ(end, text.data() + text.size()) << text;
        EXPECT_EQ(std::bit_cast<uint64_t>(back), std::bit_cast<uint64_t>(v)) << text;
        EXPECT_EQ(text.find(','), std::string::npos) << text;
    }
}
