#include "files/jpeg_file.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

#include <jpeglib.h>

#include "files/bmp_file.h"
#include "files/export_error.h"
#include "files/export_file.h"

namespace landuse {

namespace {

struct ErrorManager {
    jpeg_error_mgr base; // first, so libjpeg's pointer is ours too
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onFatalError(j_common_ptr info)
{
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void onMessage(j_common_ptr) {} // warnings are not the user's business

// Plain C-style on purpose: libjpeg reports fatal errors by longjmp, which
// must not cross C++ objects that need destructors.
bool encodeRaw(const RgbImage* image, int quality, unsigned char** buffer, unsigned long* size, char* message)
{
    jpeg_compress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onFatalError;
    errors.base.output_message = onMessage;
    errors.message[0] = '\0';
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, buffer, size);
    info.image_width = JDIMENSION(image->width);
    info.image_height = JDIMENSION(image->height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const JDIMENSION stride = JDIMENSION(image->width) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image->rgb.data() + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

std::string EncodeJpeg(const RgbImage& image, int quality)
{
    if (quality < 0 || quality > 100)
        throw std::invalid_argument("JPEG quality " + std::to_string(quality) + " is not within 0..100");
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() != std::size_t(image.width) * std::size_t(image.height) * 3)
        throw std::invalid_argument("picture size does not match its pixels");

    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    char message[JMSG_LENGTH_MAX];
    const bool ok = encodeRaw(&image, quality, &buffer, &size, message);
    std::string bytes;
    if (ok)
        bytes.assign(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    if (!ok)
        throw ExportError(std::string("JPEG encoding failed: ") + message);
    return bytes;
}

void ConvertToJpeg(const std::filesystem::path& name, int quality)
{
    std::filesystem::path bmp = name;
    bmp += ".bmp";
    std::filesystem::path jpg = name;
    jpg += ".jpg";

    const RgbImage image = LoadBmp(bmp);
    std::string bytes;
    try {
        bytes = EncodeJpeg(image, quality);
    } catch (const ExportError& e) {
        throw ExportError(FileErrorMessage("write", jpg, e.what()));
    }
    WriteFileReplacing(jpg, bytes);

    std::error_code ec;
    std::filesystem::remove(bmp, ec);
    if (ec)
        throw ExportError(FileErrorMessage("delete", bmp, ec.message()));
}

} // namespace landuse
