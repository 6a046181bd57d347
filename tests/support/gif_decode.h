#pragma once
// An animated GIF read back with giflib: every frame as 0xFFRRGGBB words,
// drawn onto the screen as the file says.

#include <gif_lib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace landuse::test {

struct DecodedGif {
    bool ok = false;
    int width = 0;
    int height = 0;
    bool loops = false; // a NETSCAPE2.0 loop block
    std::vector<int> delays;
    std::vector<std::vector<uint32_t>> frames;
};

inline DecodedGif DecodeGif(const std::string& bytes)
{
    struct Reader {
        const std::string* bytes;
        size_t at = 0;
    } reader{&bytes};
    const auto read = [](GifFileType* file, GifByteType* out, int length) -> int {
        auto* r = static_cast<Reader*>(file->UserData);
        const size_t n = std::min(size_t(length), r->bytes->size() - r->at);
        std::memcpy(out, r->bytes->data() + r->at, n);
        r->at += n;
        return int(n);
    };
    DecodedGif gif;
    int error = 0;
    GifFileType* file = DGifOpen(&reader, read, &error);
    if (!file)
        return gif;
    if (DGifSlurp(file) == GIF_OK) {
        gif.ok = true;
        gif.width = file->SWidth;
        gif.height = file->SHeight;
        std::vector<uint32_t> screen(size_t(gif.width) * size_t(gif.height), 0xFF000000u);
        for (int i = 0; i < file->ImageCount; ++i) {
            const SavedImage& image = file->SavedImages[i];
            const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : file->SColorMap;
            GraphicsControlBlock control{};
            DGifSavedExtensionToGCB(file, i, &control);
            gif.delays.push_back(control.DelayTime);
            for (int e = 0; e < image.ExtensionBlockCount; ++e) {
                const ExtensionBlock& block = image.ExtensionBlocks[e];
                if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11
                    && std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0)
                    gif.loops = true;
            }
            const GifImageDesc& d = image.ImageDesc;
            for (int y = 0; y < d.Height; ++y)
                for (int x = 0; x < d.Width; ++x) {
                    const GifColorType c = map->Colors[image.RasterBits[size_t(y) * size_t(d.Width) + size_t(x)]];
                    screen[size_t(d.Top + y) * size_t(gif.width) + size_t(d.Left + x)]
                        = 0xFF000000u | uint32_t(c.Red) << 16 | uint32_t(c.Green) << 8 | c.Blue;
                }
            gif.frames.push_back(screen);
        }
    }
    DGifCloseFile(file, &error);
    return gif;
}

} // namespace landuse::test
