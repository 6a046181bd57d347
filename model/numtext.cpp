#include "model/numtext.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace landuse {

namespace {

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

bool TryStrToInt(std::string_view text, int32_t& out)
{
    std::string_view s = trimBlanks(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty())
        return false;
    int64_t value = 0;
    for (char c : s) {
        if (!isDigit(c))
            return false;
        value = value * 10 + (c - '0');
        if (value > int64_t(std::numeric_limits<int32_t>::max()) + 1)
            return false;
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return false;
    out = int32_t(value);
    return true;
}

std::string Quoted(std::string_view text)
{
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '\'';
    quoted += text;
    quoted += '\'';
    return quoted;
}

std::string IntegerMessage(std::string_view text)
{
    return Quoted(text) + " is not a valid integer value";
}

std::string FloatMessage(std::string_view text)
{
    return Quoted(text) + " is not a valid floating point value";
}

int32_t StrToInt(std::string_view text)
{
    int32_t value = 0;
    if (!TryStrToInt(text, value))
        throw ConvertError(IntegerMessage(text));
    return value;
}

namespace {

// The text in the form from_chars reads, or nothing when it is not a real
// of the accepted shape: [sign] (digits [sep digits] | sep digits)
// [(e|E) [sign] digits], blanks around it ignored.
bool normalReal(std::string_view text, std::string& normal)
{
    std::string_view s = trimBlanks(text);
    normal.clear();
    normal.reserve(s.size());
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-')
            normal.push_back('-');
        ++i;
    }
    size_t intDigits = 0;
    while (i < s.size() && isDigit(s[i])) {
        normal.push_back(s[i++]);
        ++intDigits;
    }
    if (i < s.size() && (s[i] == ',' || s[i] == '.')) {
        normal.push_back('.');
        ++i;
        size_t fracDigits = 0;
        while (i < s.size() && isDigit(s[i])) {
            normal.push_back(s[i++]);
            ++fracDigits;
        }
        if (fracDigits == 0)
            return false; // "0," is half typed, not a number
    } else if (intDigits == 0) {
        return false;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        normal.push_back('e');
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            normal.push_back(s[i++]);
        size_t expDigits = 0;
        while (i < s.size() && isDigit(s[i])) {
            normal.push_back(s[i++]);
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    return i == s.size();
}

template <typename Real>
bool tryReal(std::string_view text, Real& out)
{
    std::string normal;
    if (!normalReal(text, normal))
        return false;
    Real value = 0;
    auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (ec != std::errc() || end != normal.data() + normal.size() || !std::isfinite(value))
        return false;
    out = value;
    return true;
}

} // namespace

bool TryStrToFloat(std::string_view text, double& out) { return tryReal(text, out); }

long double StrToExtended(std::string_view text)
{
    long double value = 0;
    if (!tryReal(text, value))
        throw ConvertError(FloatMessage(text));
    return value;
}

double StrToFloat(std::string_view text)
{
    double value = 0;
    if (!TryStrToFloat(text, value))
        throw ConvertError(FloatMessage(text));
    return value;
}

namespace {

// Turns the C-locale "%.15g" form that to_chars writes into the system's:
// comma separator, exponent without '+' and leading zeros ("1e-05" -> "1E-5").
std::string generalForm(std::string_view s)
{
    if (s == "nan" || s == "-nan")
        return "NAN";
    if (s == "inf")
        return "INF";
    if (s == "-inf")
        return "-INF";
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    for (; i < s.size() && s[i] != 'e'; ++i)
        out.push_back(s[i] == '.' ? ',' : s[i]);
    if (i < s.size()) {
        out.push_back('E');
        ++i;
        if (s[i] == '-')
            out.push_back('-');
        if (s[i] == '-' || s[i] == '+')
            ++i;
        while (i + 1 < s.size() && s[i] == '0')
            ++i;
        out.append(s.substr(i));
    }
    return out;
}

// to_chars never looks at the locale, unlike printf, whose separator
// follows LC_NUMERIC.
template <typename Real>
std::string generalText(Real value)
{
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    if (ec != std::errc())
        throw std::logic_error("number text buffer too small");
    return generalForm(std::string_view(buf, size_t(end - buf)));
}

} // namespace

std::string FloatToStr(double value) { return generalText(value); }
std::string FloatToStr(long double value) { return generalText(value); }

namespace {

// A whole number, or a real in the shortest form that reads back the same.
template <typename T>
std::string plainText(T value)
{
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    if (ec != std::errc())
        throw std::logic_error("number text buffer too small");
    return std::string(buf, end);
}

} // namespace

std::string IntToStr(int64_t value) { return plainText(value); }
std::string DataNumber(double value) { return plainText(value); }

// The default floating-point environment rounds to nearest, ties to even.
double RoundHalfEven(double value) { return std::nearbyint(value); }
long double RoundHalfEven(long double value) { return std::nearbyintl(value); }
int32_t RoundToInt(double value) { return int32_t(std::lrint(value)); }
int32_t RoundToInt(long double value) { return int32_t(std::lrintl(value)); }

double RoundToDecimals(double value, int decimals)
{
    static const double units[] = {1.0, 0.1, 0.01, 0.001, 0.0001, 0.00001, 0.000001};
    const double unit = (decimals >= 0 && decimals <= 6) ? units[decimals] : std::pow(10.0, -decimals);
    return std::nearbyint(value / unit) * unit;
}

std::string ClockText(uint64_t seconds)
{
    const uint64_t h = seconds / 3600;
    const uint64_t m = seconds / 60 % 60;
    const uint64_t s = seconds % 60;
    const auto two = [](uint64_t n) {
        std::string digits = n < 10 ? "0" : "";
        digits += IntToStr(int64_t(n));
        return digits;
    };
    return h > 0 ? IntToStr(int64_t(h)) + ":" + two(m) + ":" + two(s) : IntToStr(int64_t(m)) + ":" + two(s);
}

std::string FixedText(double value, int decimals)
{
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buffer, end) : DataNumber(value);
}

} // namespace landuse
