#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace landuse {

// A file the export could not read, write or delete. The message names the
// file and the reason, ready to be shown to the user.
class ExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "Cannot <action> "<file>": <reason>"
std::string FileErrorMessage(std::string_view action, const std::filesystem::path& file, std::string_view reason);

} // namespace landuse
