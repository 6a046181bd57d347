#pragma once

#include <filesystem>
#include <string_view>

namespace landuse {

enum class ExportFolder { Pictures, Data };

// baseDir / "pictures" or baseDir / "data".
std::filesystem::path ExportFolderPath(const std::filesystem::path& baseDir, ExportFolder folder);

// Throws ExportError naming E_pName when the stem (E_pName's text) holds a
// path separator, '/' or '\\': a stem starts file names inside the export
// folder and must not lead out of it. Dots and an empty stem are fine.
void CheckExportStem(std::string_view stem);

// baseDir / folder / (stem + suffix + extension). The stem is taken as typed:
// dots stay, an empty stem is allowed; one with a separator is refused by
// CheckExportStem. An empty extension gives the base name that ConvertToJpeg
// expects.
std::filesystem::path ExportFileName(const std::filesystem::path& baseDir, ExportFolder folder,
                                     std::string_view stem, int suffix, std::string_view extension);

// dir / (stem + suffix + extension), the stem taken as typed and checked by
// CheckExportStem.
std::filesystem::path ExportFileIn(const std::filesystem::path& dir, std::string_view stem, int suffix,
                                   std::string_view extension);

// Creates the pictures and data folders when missing. Throws ExportError
// naming the folder that could not be made.
void EnsureExportFolders(const std::filesystem::path& baseDir);

} // namespace landuse
