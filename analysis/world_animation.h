#pragma once
// A run as an animated GIF: the world as the panel shows it (cells with the
// agents on top) at every K-th step, the step number in the top left corner.

#include "files/export_file.h"
#include "files/gif_file.h"
#include "render/world_raster.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

namespace landuse {

// Hundredths of a second each frame shows.
inline constexpr int AnimationFrameDelay = 10;
inline constexpr int DefaultAnimationEvery = 10;

class WorldAnimation {
public:
    // Throws std::invalid_argument for every below 1.
    WorldAnimation(int64_t every, GifSink sink);

    int64_t every() const { return every_; }
    bool due(int64_t step) const { return step % every_ == 0; }
    // A frame of the raster's composed layers labelled with the step. The
    // first frame fixes the size; the raster must have layers.
    void addFrame(const WorldRaster& raster, int64_t step);
    void finish();
    int frames() const { return gif_ ? gif_->frames() : 0; }
    // The step of the newest frame.
    std::optional<int64_t> lastStep() const { return lastStep_; }

private:
    int64_t every_;
    GifSink sink_;
    std::optional<GifWriter> gif_;
    std::vector<uint32_t> frame_;
    std::optional<int64_t> lastStep_;
};

// A recording into a file of its own, written like every other output: to
// FILE.part, renamed into place by commit(); dropped without commit, a
// recording leaves nothing behind.
class AnimationFile {
public:
    // Throws ExportError naming the file when it cannot be written there.
    AnimationFile(const std::filesystem::path& file, int64_t every);
    const std::filesystem::path& file() const { return output_.plan().file; }
    WorldAnimation& animation() { return animation_; }
    // Ends the animation and gives the file its name. Throws ExportError.
    void commit();

private:
    OutputFile output_;
    WorldAnimation animation_;
};

} // namespace landuse
