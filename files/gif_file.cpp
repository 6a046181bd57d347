#include "files/gif_file.h"

#include <gif_lib.h>

#include <array>
#include <stdexcept>
#include <string>
#include <unordered_map>

namespace landuse {

struct GifWriter::Encoder {
    GifFileType* file = nullptr;
};

namespace {

// giflib writes through this; the bytes wait in the writer until the call
// that made them returns, so no exception crosses the C library.
int collect(GifFileType* file, const GifByteType* bytes, int length)
{
    auto* pending = static_cast<std::string*>(file->UserData);
    pending->append(reinterpret_cast<const char*>(bytes), size_t(length));
    return length;
}

[[noreturn]] void failed(const char* what, int error)
{
    const char* reason = GifErrorString(error);
    throw std::runtime_error(std::string("GIF encoder: ") + what + ": " + (reason ? reason : "unknown error"));
}

struct Palette {
    std::vector<GifColorType> colours;
    int shift = 0; // low bits dropped per channel
};

uint32_t reduced(uint32_t rgb, int shift)
{
    const uint32_t keep = (0xFFu << shift) & 0xFFu;
    return rgb & (keep << 16 | keep << 8 | keep);
}

// The palette of a frame and each pixel's index in it.
Palette paletteOf(const uint32_t* pixels, size_t count, std::vector<uint8_t>& indices)
{
    Palette palette;
    std::unordered_map<uint32_t, uint8_t> index;
    for (;; ++palette.shift) {
        index.clear();
        palette.colours.clear();
        bool fits = true;
        uint32_t last = 0xFFFFFFFFu;
        uint8_t lastIndex = 0;
        for (size_t i = 0; i < count && fits; ++i) {
            const uint32_t rgb = reduced(pixels[i] & 0xFFFFFFu, palette.shift);
            if (rgb != last) {
                const auto [at, added] = index.try_emplace(rgb, uint8_t(palette.colours.size()));
                if (added) {
                    if (palette.colours.size() == 256) {
                        fits = false;
                        break;
                    }
                    // The middle of what the dropped bits stood for.
                    const uint8_t half = uint8_t(palette.shift ? 1u << (palette.shift - 1) : 0u);
                    palette.colours.push_back({GifByteType((rgb >> 16 & 0xFF) | half),
                                               GifByteType((rgb >> 8 & 0xFF) | half), GifByteType((rgb & 0xFF) | half)});
                }
                last = rgb;
                lastIndex = at->second;
            }
            indices[i] = lastIndex;
        }
        if (fits)
            return palette;
    }
}

} // namespace

GifWriter::GifWriter(int width, int height, int delay, GifSink sink)
    : width_(width), height_(height), delay_(delay), sink_(std::move(sink))
{
    if (width < 1 || width > 65535 || height < 1 || height > 65535)
        throw std::invalid_argument("a GIF picture is 1 to 65535 pixels wide and high, not " + std::to_string(width)
                                    + " by " + std::to_string(height));
    if (delay < 0 || delay > 65535)
        throw std::invalid_argument("a GIF frame shows 0 to 65535 hundredths of a second, not " + std::to_string(delay));
    int error = 0;
    GifFileType* file = EGifOpen(&pending_, collect, &error);
    if (!file)
        failed("open", error);
    encoder_ = new Encoder{file};
    try {
        EGifSetGifVersion(file, true);
        if (EGifPutScreenDesc(file, width, height, 8, 0, nullptr) == GIF_ERROR)
            failed("screen", file->Error);
        // Loop for ever.
        static const GifByteType netscape[] = "NETSCAPE2.0";
        static const GifByteType loop[] = {1, 0, 0};
        if (EGifPutExtensionLeader(file, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR
            || EGifPutExtensionBlock(file, 11, netscape) == GIF_ERROR
            || EGifPutExtensionBlock(file, 3, loop) == GIF_ERROR || EGifPutExtensionTrailer(file) == GIF_ERROR)
            failed("loop", file->Error);
        indices_.resize(size_t(width) * size_t(height));
        handOn();
    } catch (...) {
        // No destructor runs for a writer that was never made.
        EGifCloseFile(file, &error);
        delete encoder_;
        encoder_ = nullptr;
        throw;
    }
}

GifWriter::~GifWriter()
{
    if (encoder_) {
        int error = 0;
        EGifCloseFile(encoder_->file, &error); // frees; its trailer goes nowhere
        delete encoder_;
    }
}

void GifWriter::handOn()
{
    if (pending_.empty())
        return;
    std::string bytes;
    bytes.swap(pending_);
    sink_(bytes);
}

void GifWriter::addFrame(const uint32_t* pixels)
{
    if (finished_)
        throw std::logic_error("GifWriter::addFrame after finish");
    GifFileType* file = encoder_->file;
    Palette palette = paletteOf(pixels, indices_.size(), indices_);
    int bits = 1;
    while ((1u << bits) < palette.colours.size())
        ++bits;
    palette.colours.resize(size_t(1) << bits, GifColorType{0, 0, 0});
    ColorMapObject* map = GifMakeMapObject(1 << bits, palette.colours.data());
    if (!map)
        throw std::bad_alloc();
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.DelayTime = delay_;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    bool ok = EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, int(length), extension) != GIF_ERROR
              && EGifPutImageDesc(file, 0, 0, width_, height_, false, map) != GIF_ERROR;
    for (int y = 0; ok && y < height_; ++y)
        ok = EGifPutLine(file, indices_.data() + size_t(y) * size_t(width_), width_) != GIF_ERROR;
    GifFreeMapObject(map);
    if (!ok)
        failed("frame", file->Error);
    handOn();
    ++frames_; // only once it went on
}

void GifWriter::finish()
{
    if (finished_)
        return;
    finished_ = true;
    int error = 0;
    const int result = EGifCloseFile(encoder_->file, &error);
    delete encoder_;
    encoder_ = nullptr;
    if (result == GIF_ERROR)
        failed("close", error);
    handOn();
}

} // namespace landuse
