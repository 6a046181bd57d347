#include "files/export_paths.h"

#include <string>

#include "files/export_error.h"
#include "files/export_file.h"
#include "model/numtext.h"

namespace landuse {

std::filesystem::path ExportFolderPath(const std::filesystem::path& baseDir, ExportFolder folder)
{
    return baseDir / (folder == ExportFolder::Pictures ? "pictures" : "data");
}

std::filesystem::path ExportFileName(const std::filesystem::path& baseDir, ExportFolder folder,
                                     std::string_view stem, int suffix, std::string_view extension)
{
    return ExportFileIn(ExportFolderPath(baseDir, folder), stem, suffix, extension);
}

void CheckExportStem(std::string_view stem)
{
    // Both separators, so that a stem means the same on every system.
    if (stem.find_first_of("/\\") != std::string_view::npos)
        throw ExportError("E_pName: " + Quoted(stem)
                          + " contains a path separator; it starts file names and cannot name a folder");
}

std::filesystem::path ExportFileIn(const std::filesystem::path& dir, std::string_view stem, int suffix,
                                   std::string_view extension)
{
    CheckExportStem(stem);
    std::filesystem::path file = dir / "";
    file += std::string(stem) + IntToStr(suffix) + std::string(extension);
    return file;
}

void EnsureExportFolders(const std::filesystem::path& baseDir)
{
    EnsureFolder(ExportFolderPath(baseDir, ExportFolder::Pictures));
    EnsureFolder(ExportFolderPath(baseDir, ExportFolder::Data));
}

} // namespace landuse
