#pragma once

#include <filesystem>
#include <string_view>

namespace landuse {

enum class ExportFolder { Pictures, Data };

// baseDir / "pictures" or baseDir / "data".
std::filesystem::path ExportFolderPath(const std::filesystem::path& baseDir, ExportFolder folder);

// baseDir / folder / (stem + suffix + extension). The stem is taken as typed:
// dots stay, an empty stem is allowed, and a stem starting with a separator
// still lands inside the folder. An empty extension gives the base name that
// ConvertToJpeg expects.
std::filesystem::path ExportFileName(const std::filesystem::path& baseDir, ExportFolder folder,
                                     std::string_view stem, int suffix, std::string_view extension);

// dir / (stem + suffix + extension), the stem taken as typed.
std::filesystem::path ExportFileIn(const std::filesystem::path& dir, std::string_view stem, int suffix,
                                   std::string_view extension);

// Creates the pictures and data folders when missing. Throws ExportError
// naming the folder that could not be made.
void EnsureExportFolders(const std::filesystem::path& baseDir);

} // namespace landuse
