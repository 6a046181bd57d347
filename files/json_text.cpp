#include "files/json_text.h"

#include "model/numtext.h"

#include <cmath>

namespace landuse {

std::string JsonString(std::string_view text)
{
    static const char hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            out += "\\u00";
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

std::string JsonNumber(std::optional<double> value)
{
    if (!value || !std::isfinite(*value))
        return "null";
    return DataNumber(*value);
}

} // namespace landuse
