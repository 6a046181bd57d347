#pragma once

#include <string>
#include <string_view>

namespace landuse {

// The message with its control characters written as escapes (\n, \t, \r,
// \xNN), so that a typed text holding a line break still makes one line.
std::string OneLine(std::string_view message);

} // namespace landuse
