#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "files/rgb_image.h"

namespace landuse {

// Bytes that are not a BMP this reader understands; the message says why.
class BmpFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Uncompressed 24-bit BMP, bottom-up rows. Throws std::invalid_argument for
// an empty image or one whose pixel count does not match its size.
std::string EncodeBmp(const RgbImage& image);

// Reads uncompressed 24-bit BMPs, bottom-up or top-down, with any
// BITMAPINFOHEADER-family header. Throws BmpFormatError.
RgbImage DecodeBmp(std::string_view bytes);

// File forms; throw ExportError naming the file and the reason.
void SaveBmp(const std::filesystem::path& file, const RgbImage& image);
RgbImage LoadBmp(const std::filesystem::path& file);

} // namespace landuse
