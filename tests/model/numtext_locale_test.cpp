#include "model/numtext.h"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cstdint>
#include <cstring>
#include <limits>
#include <locale>
#include <string>
#include <vector>

using namespace landuse;

namespace {

// The Qt front end calls setlocale(LC_ALL, ""), so a user's comma-decimal
// locale is what the core runs under; this one stands for all of them.
constexpr const char* commaLocale = "de_DE.UTF-8";

// Puts the C and C++ global locales back as they were, whatever the test did.
class LocaleGuard {
public:
    LocaleGuard()
        : saved_(std::setlocale(LC_ALL, nullptr))
        , savedGlobal_()
    {
    }
    ~LocaleGuard()
    {
        std::locale::global(savedGlobal_);
        std::setlocale(LC_ALL, saved_.c_str());
    }
    LocaleGuard(const LocaleGuard&) = delete;
    LocaleGuard& operator=(const LocaleGuard&) = delete;

private:
    std::string saved_;
    std::locale savedGlobal_;
};

bool switchToCommaLocale()
{
    if (!std::setlocale(LC_ALL, commaLocale))
        return false;
    std::locale::global(std::locale(commaLocale));
    return true;
}

// Doubles read back are shown by their bits, so a last-place difference shows.
std::string bitsOf(double value) { return std::to_string(std::bit_cast<uint64_t>(value)); }

struct Line {
    std::string what;
    std::string text;
};

// Every conversion once, labelled, so two runs can be compared line by line.
std::vector<Line> allConversions()
{
    std::vector<Line> out;
    const double doubles[] = {0.5, 1e-5, 1.5e20, -2.25e-7, 1234567.125, 0.1 + 0.2, 12.0, -0.0, 9007199254740993.0,
                              123456789012345.0, 1e15, 1.0 / 3.0, std::numeric_limits<double>::max(),
                              std::numeric_limits<double>::denorm_min()};
    for (double v : doubles) {
        out.push_back({"FloatToStr(double " + bitsOf(v) + ")", FloatToStr(v)});
        out.push_back({"DataNumber(" + bitsOf(v) + ")", DataNumber(v)});
    }

    const long double longs[] = {0.5L, 1e-5L, 1.5e20L, -2.25e-7L, 1234567.125L, 1.0L / 3.0L, -0.0L, 12.0L,
                                 0.123456789012344501L, std::numeric_limits<long double>::max()};
    for (long double v : longs)
        out.push_back({"FloatToStr(long double #" + std::to_string(out.size()) + ")", FloatToStr(v)});

    const int64_t ints[] = {12, -42, 0, 2147483647, -2147483648LL, 9007199254740993LL,
                            std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min()};
    for (int64_t v : ints)
        out.push_back({"IntToStr(" + std::to_string(v) + ")", IntToStr(v)});

    for (const char* text : {"0,5", "0.5", "1E-5", "1,5E20", "1.5e20", "-2,25E-7", "1234567,125", "1234567.125",
                             ",5", " 12 ", "-0", "9007199254740993", "0,30000000000000004"})
        out.push_back({std::string("StrToFloat(\"") + text + "\")", bitsOf(StrToFloat(text))});

    for (const char* text : {"12", " -7 ", "+2147483647", "-2147483648"})
        out.push_back({std::string("StrToInt(\"") + text + "\")", std::to_string(StrToInt(text))});

    const struct {
        double value;
        int decimals;
    } rounded[] = {{1.23456, 3}, {-0.98765, 3}, {0.0625, 3}, {0.1 + 0.2, 2}, {1234567.125, 2}, {-2.25e-7, 9}};
    for (auto r : rounded)
        out.push_back({"FloatToStr(RoundToDecimals(" + bitsOf(r.value) + ", " + std::to_string(r.decimals) + "))",
                       FloatToStr(RoundToDecimals(r.value, r.decimals))});
    return out;
}

std::string textOf(const std::vector<Line>& lines, const std::string& what)
{
    for (const Line& l : lines)
        if (l.what == what)
            return l.text;
    return "<no line " + what + ">";
}

} // namespace

TEST(NumTextLocale, CommaDecimalLocaleChangesNoNumberText)
{
    LocaleGuard guard;
    ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
    std::locale::global(std::locale::classic());
    const std::vector<Line> inC = allConversions();

    ASSERT_TRUE(switchToCommaLocale())
        << "locale " << commaLocale << " is not available; scripts/install-deps.sh generates it";
    // Without this the run below would prove nothing.
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");

    const std::vector<Line> inComma = allConversions();
    ASSERT_EQ(inComma.size(), inC.size());
    for (size_t i = 0; i < inC.size(); ++i) {
        ASSERT_EQ(inComma[i].what, inC[i].what);
        EXPECT_EQ(inComma[i].text, inC[i].text) << inC[i].what;
    }

    // The same texts must also be the system's own forms, not just equal.
    EXPECT_EQ(textOf(inComma, "FloatToStr(double " + bitsOf(1234567.125) + ")"), "1234567,125");
    EXPECT_EQ(textOf(inComma, "FloatToStr(double " + bitsOf(-0.0) + ")"), "-0");
    EXPECT_EQ(textOf(inComma, "FloatToStr(double " + bitsOf(9007199254740993.0) + ")"), "9,00719925474099E15");
    EXPECT_EQ(textOf(inComma, "FloatToStr(double " + bitsOf(std::numeric_limits<double>::max()) + ")"),
              "1,79769313486232E308");
    EXPECT_EQ(textOf(inComma, "FloatToStr(double " + bitsOf(std::numeric_limits<double>::denorm_min()) + ")"),
              "4,94065645841247E-324");
    EXPECT_EQ(textOf(inComma, "IntToStr(-9223372036854775808)"), "-9223372036854775808");
    EXPECT_EQ(textOf(inComma, "StrToFloat(\"1234567.125\")"), bitsOf(1234567.125));
    EXPECT_EQ(textOf(inComma, "StrToFloat(\"0,30000000000000004\")"), bitsOf(0.1 + 0.2));
    EXPECT_EQ(textOf(inComma, "FloatToStr(RoundToDecimals(" + bitsOf(1234567.125) + ", 2))"), "1234567,12");
    EXPECT_EQ(textOf(inComma, "DataNumber(" + bitsOf(1234567.125) + ")"), "1234567.125");
    EXPECT_EQ(textOf(inComma, "DataNumber(" + bitsOf(-2.25e-7) + ")"), "-2.25e-07");
}

TEST(NumTextLocale, LongDoublesKeepTheirFormUnderCommaLocale)
{
    LocaleGuard guard;
    ASSERT_TRUE(switchToCommaLocale())
        << "locale " << commaLocale << " is not available; scripts/install-deps.sh generates it";
    EXPECT_EQ(FloatToStr(1234567.125L), "1234567,125");
    EXPECT_EQ(FloatToStr(1.5e20L), "1,5E20");
    EXPECT_EQ(FloatToStr(-2.25e-7L), "-2,25E-7");
    EXPECT_EQ(FloatToStr(1e-5L), "1E-5");
    // Just above a 15-digit tie as a long double, just below it as a double.
    EXPECT_EQ(FloatToStr(0.123456789012344501L), "0,123456789012345");
    EXPECT_EQ(FloatToStr(std::numeric_limits<long double>::max()), "1,18973149535723E4932");
}
