#pragma once

#include <string>
#include <string_view>

namespace landuse {

// Turns UTF-8 text into the value of an attribute in an ISO-8859-1 document:
// & < > " become entities, characters up to U+00FF become single bytes,
// others become numeric character references, and characters XML forbids
// become '?'. Bytes that are not valid UTF-8 are taken as Latin-1.
std::string XmlAttributeText(std::string_view utf8);

} // namespace landuse
