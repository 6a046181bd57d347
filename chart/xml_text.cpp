#include "chart/xml_text.h"

#include <cstdint>

namespace landuse {

namespace {

// Decodes one UTF-8 sequence at text[i]; returns its length, 0 if invalid.
std::size_t decodeUtf8(std::string_view text, std::size_t i, char32_t& code)
{
    const auto byte = [&](std::size_t k) { return std::uint8_t(text[i + k]); };
    const std::uint8_t lead = byte(0);
    std::size_t length;
    char32_t minimum;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(k) & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

bool allowedInXml(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

} // namespace

std::string XmlAttributeText(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c;
        std::size_t length = decodeUtf8(utf8, i, c);
        if (length == 0) {
            c = std::uint8_t(utf8[i]);
            length = 1;
        }
        i += length;

        if (!allowedInXml(c)) {
            out += '?';
        } else if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (c == '"') {
            out += "&quot;";
        } else if (c == 0x9 || c == 0xA || c == 0xD) {
            // Kept as references: a parser turns raw ones into blanks.
            out += "&#" + std::to_string(std::uint32_t(c)) + ';';
        } else if (c <= 0xFF) {
            out += char(c);
        } else {
            out += "&#" + std::to_string(std::uint32_t(c)) + ';';
        }
    }
    return out;
}

} // namespace landuse
