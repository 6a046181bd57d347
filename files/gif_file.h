#pragma once
// Animated GIF pictures, encoded frame by frame: each frame is reduced to a
// palette of its own, compressed and handed on at once, so memory holds one
// frame and never the whole animation.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace landuse {

// Takes the encoded bytes in order; may throw, which leaves the writer
// unusable (what was handed on stays handed on).
using GifSink = std::function<void(std::string_view)>;

class GifWriter {
public:
    // delay: how long each frame shows, in hundredths of a second. The
    // animation loops. Throws std::invalid_argument for a size outside
    // 1..65535 or a delay outside 0..65535.
    GifWriter(int width, int height, int delay, GifSink sink);
    ~GifWriter();
    GifWriter(const GifWriter&) = delete;
    GifWriter& operator=(const GifWriter&) = delete;

    // One frame of width * height 0xAARRGGBB words (alpha ignored). Exact
    // where the frame holds at most 256 colours; otherwise every channel
    // loses low bits until they fit.
    void addFrame(const uint32_t* pixels);
    // The end of the file. Without it the bytes handed on are no GIF.
    void finish();

    int frames() const { return frames_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    struct Encoder;
    void handOn();

    int width_;
    int height_;
    int delay_;
    GifSink sink_;
    Encoder* encoder_ = nullptr;
    std::string pending_; // what giflib wrote since the last hand-on
    std::vector<uint8_t> indices_;
    int frames_ = 0;
    bool finished_ = false;
};

} // namespace landuse
