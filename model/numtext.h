#pragma once
// Number text: the one place where numbers become text and text numbers.
// Everything the system writes for people uses a comma as decimal separator,
// whatever the process locale; reading accepts a comma or a point, so the
// default texts and habitually typed "0.5" both work. Only DataNumber, for
// files that other tools read, writes a point.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace landuse {

// A control text that does not convert. The message names the text exactly as
// the user typed it; the reading operation stops where it is thrown.
class ConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Optional sign and decimal digits, blanks around ignored, 32-bit range.
// Throws ConvertError "'<text>' is not a valid integer value".
int32_t StrToInt(std::string_view text);

// Decimal real with optional exponent; ',' or '.' as separator.
// Throws ConvertError "'<text>' is not a valid floating point value".
double StrToFloat(std::string_view text);

// The text between single quotes, as messages show it.
std::string Quoted(std::string_view text);

// The conversion messages for a text.
std::string IntegerMessage(std::string_view text);
std::string FloatMessage(std::string_view text);

// The same text as an extended real: where a sum of parsed texts is held
// in extended precision, its result differs from one of doubles.
long double StrToExtended(std::string_view text);

// Non-throwing forms for callers that only want to know.
bool TryStrToInt(std::string_view text, int32_t& out);
bool TryStrToFloat(std::string_view text, double& out);

// General format, at most 15 significant digits, no trailing zeros, comma as
// separator; exponent form ("1E-5", "1,5E20") below 1e-4 and from 1e15 on.
std::string FloatToStr(double value);
std::string FloatToStr(long double value);
std::string IntToStr(int64_t value);

// The form for CSV files read by data tools: point separator, the shortest
// text that reads back to the same double ("0.1", "1e-05", "1.5e+20"), as
// std::to_chars writes it; "nan", "inf", "-inf" for the rest.
std::string DataNumber(double value);

// A duration in seconds as minutes and seconds, with hours when there are
// any: "0:40", "12:05", "3:02:09".
std::string ClockText(uint64_t seconds);

// A number with `decimals` digits after a point, for messages: "4.1".
std::string FixedText(double value, int decimals);

// Nearest integer, halves to the even neighbour.
double RoundHalfEven(double value);
long double RoundHalfEven(long double value);
int32_t RoundToInt(double value);
int32_t RoundToInt(long double value);

// Rounds to `decimals` places by dividing by 10^-decimals, rounding to the
// nearest whole number (halves to even) and multiplying back.
double RoundToDecimals(double value, int decimals);

} // namespace landuse
