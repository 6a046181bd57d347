#pragma once

#include <filesystem>
#include <string_view>

#include "files/rgb_image.h"

namespace landuse {

// The quality of every picture the program saves, the window's and the
// runner's alike.
inline constexpr int PictureJpegQuality = 100;

// Saves the picture as baseDir/pictures/<stem><suffix>.jpg at quality 100 by
// way of a BMP of the same name, which is gone afterwards, also when the
// conversion fails. Creates the folder when missing. Throws ExportError
// naming the file that failed.
void SavePicture(const std::filesystem::path& baseDir, std::string_view stem, int suffix, const RgbImage& image);

// The main window's picture as suffix 1, the rank-size window's as suffix 2.
void SavePictures(const std::filesystem::path& baseDir, std::string_view stem, const RgbImage& mainWindow,
                  const RgbImage& rankSizeWindow);

} // namespace landuse
