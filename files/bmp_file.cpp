#include "files/bmp_file.h"

#include <cstdint>
#include <limits>

#include "files/export_error.h"
#include "files/export_file.h"

namespace landuse {

namespace {

constexpr std::size_t FileHeaderSize = 14;
constexpr std::size_t InfoHeaderSize = 40;
constexpr std::uint32_t PixelsPerMetre = 2835; // 72 dpi

void put16(std::string& out, std::uint16_t v)
{
    out += char(v & 0xFF);
    out += char(v >> 8);
}

void put32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += char((v >> (8 * i)) & 0xFF);
}

std::uint32_t get32(std::string_view b, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | std::uint8_t(b[at + i]);
    return v;
}

std::uint16_t get16(std::string_view b, std::size_t at)
{
    return std::uint16_t(std::uint8_t(b[at]) | (std::uint8_t(b[at + 1]) << 8));
}

// Rows are padded to a multiple of four bytes.
std::uint64_t rowStride(std::uint64_t width) { return (width * 3 + 3) / 4 * 4; }

} // namespace

std::string EncodeBmp(const RgbImage& image)
{
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() != std::size_t(image.width) * std::size_t(image.height) * 3)
        throw std::invalid_argument("picture size does not match its pixels");
    const std::uint64_t stride = rowStride(std::uint64_t(image.width));
    const std::uint64_t pixelBytes = stride * std::uint64_t(image.height);
    const std::uint64_t fileSize = FileHeaderSize + InfoHeaderSize + pixelBytes;
    if (fileSize > std::numeric_limits<std::uint32_t>::max())
        throw std::invalid_argument("picture too large for a BMP file");

    std::string out;
    out.reserve(std::size_t(fileSize));
    out += "BM";
    put32(out, std::uint32_t(fileSize));
    put32(out, 0); // reserved
    put32(out, std::uint32_t(FileHeaderSize + InfoHeaderSize));

    put32(out, std::uint32_t(InfoHeaderSize));
    put32(out, std::uint32_t(image.width));
    put32(out, std::uint32_t(image.height)); // positive: bottom row first
    put16(out, 1);                           // planes
    put16(out, 24);                          // bits per pixel
    put32(out, 0);                           // no compression
    put32(out, std::uint32_t(pixelBytes));
    put32(out, PixelsPerMetre);
    put32(out, PixelsPerMetre);
    put32(out, 0); // colours used
    put32(out, 0); // important colours

    const std::size_t width = std::size_t(image.width);
    const std::size_t padding = std::size_t(stride) - width * 3;
    for (int y = image.height - 1; y >= 0; --y) {
        const std::uint8_t* row = image.rgb.data() + std::size_t(y) * width * 3;
        for (std::size_t x = 0; x < width; ++x) {
            out += char(row[3 * x + 2]);
            out += char(row[3 * x + 1]);
            out += char(row[3 * x]);
        }
        out.append(padding, '\0');
    }
    return out;
}

RgbImage DecodeBmp(std::string_view bytes)
{
    if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M')
        throw BmpFormatError("not a BMP file");
    if (bytes.size() < FileHeaderSize + InfoHeaderSize)
        throw BmpFormatError("BMP header is cut short");
    const std::uint32_t pixelOffset = get32(bytes, 10);
    const std::uint32_t headerSize = get32(bytes, 14);
    if (headerSize < InfoHeaderSize || FileHeaderSize + std::uint64_t(headerSize) > bytes.size())
        throw BmpFormatError("unsupported BMP header of " + std::to_string(headerSize) + " bytes");
    const auto width = std::int32_t(get32(bytes, 18));
    const auto height = std::int32_t(get32(bytes, 22));
    const std::uint16_t bitsPerPixel = get16(bytes, 28);
    const std::uint32_t compression = get32(bytes, 30);
    if (bitsPerPixel != 24)
        throw BmpFormatError("only 24-bit BMPs are supported, this one has " + std::to_string(bitsPerPixel) +
                             " bits per pixel");
    if (compression != 0)
        throw BmpFormatError("compressed BMPs are not supported");
    if (width <= 0 || height == 0)
        throw BmpFormatError("BMP has no pixels");

    const bool bottomUp = height > 0;
    const std::uint64_t rows = bottomUp ? std::uint64_t(height) : std::uint64_t(-std::int64_t(height));
    const std::uint64_t stride = rowStride(std::uint64_t(width));
    if (pixelOffset < FileHeaderSize + headerSize || pixelOffset + stride * rows > bytes.size())
        throw BmpFormatError("BMP pixel data is cut short");

    RgbImage image;
    image.width = width;
    image.height = int(rows);
    image.rgb.resize(std::size_t(width) * std::size_t(rows) * 3);
    for (std::uint64_t r = 0; r < rows; ++r) {
        const std::uint64_t y = bottomUp ? rows - 1 - r : r;
        const std::string_view source = bytes.substr(std::size_t(pixelOffset + r * stride));
        std::uint8_t* target = image.rgb.data() + std::size_t(y) * std::size_t(width) * 3;
        for (std::size_t x = 0; x < std::size_t(width); ++x) {
            target[3 * x] = std::uint8_t(source[3 * x + 2]);
            target[3 * x + 1] = std::uint8_t(source[3 * x + 1]);
            target[3 * x + 2] = std::uint8_t(source[3 * x]);
        }
    }
    return image;
}

void SaveBmp(const std::filesystem::path& file, const RgbImage& image)
{
    WriteFileReplacing(file, EncodeBmp(image));
}

RgbImage LoadBmp(const std::filesystem::path& file)
{
    const std::string bytes = ReadFileBytes(file);
    try {
        return DecodeBmp(bytes);
    } catch (const BmpFormatError& e) {
        throw ExportError(FileErrorMessage("read", file, e.what()));
    }
}

} // namespace landuse
