#include "app/message_line.h"

namespace landuse {

std::string OneLine(std::string_view message)
{
    static constexpr char Hex[] = "0123456789abcdef";
    std::string line;
    line.reserve(message.size());
    for (const char c : message) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            line += "\\n";
        } else if (c == '\t') {
            line += "\\t";
        } else if (c == '\r') {
            line += "\\r";
        } else if (byte < 0x20 || byte == 0x7F) {
            line += "\\x";
            line += Hex[byte >> 4];
            line += Hex[byte & 0xF];
        } else {
            line += c;
        }
    }
    return line;
}

} // namespace landuse
