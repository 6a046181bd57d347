#pragma once
// Pieces of JSON text for the files data tools read.

#include <optional>
#include <string>
#include <string_view>

namespace landuse {

// A JSON string: quotes, with quotes, backslashes and control characters escaped.
std::string JsonString(std::string_view text);

// A JSON number, point as separator; null for none and for values JSON
// cannot hold (not a number, infinities).
std::string JsonNumber(std::optional<double> value);

} // namespace landuse
