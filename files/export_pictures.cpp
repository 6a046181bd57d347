#include "files/export_pictures.h"

#include <system_error>

#include "files/bmp_file.h"
#include "files/export_file.h"
#include "files/export_paths.h"
#include "files/jpeg_file.h"

namespace landuse {

void SavePicture(const std::filesystem::path& baseDir, std::string_view stem, int suffix, const RgbImage& image)
{
    // The name first: a refused stem leaves no folder behind.
    const std::filesystem::path name = ExportFileName(baseDir, ExportFolder::Pictures, stem, suffix, "");
    EnsureFolder(ExportFolderPath(baseDir, ExportFolder::Pictures));
    std::filesystem::path bmp = name;
    bmp += ".bmp";

    SaveBmp(bmp, image);
    try {
        ConvertToJpeg(name, PictureJpegQuality);
    } catch (...) {
        std::error_code ignored; // the conversion's error is the one to report
        std::filesystem::remove(bmp, ignored);
        throw;
    }
}

void SavePictures(const std::filesystem::path& baseDir, std::string_view stem, const RgbImage& mainWindow,
                  const RgbImage& rankSizeWindow)
{
    SavePicture(baseDir, stem, 1, mainWindow);
    SavePicture(baseDir, stem, 2, rankSizeWindow);
}

} // namespace landuse
