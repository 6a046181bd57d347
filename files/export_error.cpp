#include "files/export_error.h"

namespace landuse {

std::string FileErrorMessage(std::string_view action, const std::filesystem::path& file, std::string_view reason)
{
    return "Cannot " + std::string(action) + " \"" + file.string() + "\": " + std::string(reason);
}

} // namespace landuse
