#include "files/json_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace landuse;

TEST(JsonText, StringsAndNumbersAsJsonReadsThem)
{
    EXPECT_EQ(JsonString("plain 1_0,5_pic_"), "\"plain 1_0,5_pic_\"");
    EXPECT_EQ(JsonString(std::string("a\"b\\c\n\x01\x7f\xc3\xa9", 10)), "\"a\\\"b\\\\c\\u000a\\u0001\x7f\xc3\xa9\"");
    EXPECT_EQ(JsonNumber(0.1), "0.1");
    EXPECT_EQ(JsonNumber(-1.5e20), "-1.5e+20");
    EXPECT_EQ(JsonNumber(std::nullopt), "null");
    EXPECT_EQ(JsonNumber(std::numeric_limits<double>::quiet_NaN()), "null");
    EXPECT_EQ(JsonNumber(-INFINITY), "null");
}
