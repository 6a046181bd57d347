#pragma once

#include <filesystem>
#include <string>

#include "files/rgb_image.h"

namespace landuse {

// JPEG bytes of the picture at quality 0..100. Throws std::invalid_argument
// for a bad quality or picture, ExportError with libjpeg's reason otherwise.
std::string EncodeJpeg(const RgbImage& image, int quality);

// Turns name + ".bmp" into name + ".jpg" and deletes the BMP. The name is
// used as it is: dots in it are kept. Throws ExportError naming the file that
// failed; the JPEG is then absent (or its older version untouched) and the
// BMP is still there.
void ConvertToJpeg(const std::filesystem::path& name, int quality);

} // namespace landuse
