#include "analysis/world_animation.h"

#include "analysis/step_label.h"

#include <stdexcept>
#include <string>

namespace landuse {

WorldAnimation::WorldAnimation(int64_t every, GifSink sink) : every_(every), sink_(std::move(sink))
{
    if (every < 1)
        throw std::invalid_argument("an animation keeps every K-th step, K 1 or more, not " + std::to_string(every));
}

void WorldAnimation::addFrame(const WorldRaster& raster, int64_t step)
{
    const PixelLayer& cells = raster.CellLayer();
    if (cells.width == 0)
        throw std::logic_error("WorldAnimation::addFrame without layers");
    if (!gif_)
        gif_.emplace(cells.width, cells.height, AnimationFrameDelay, sink_);
    if (cells.width != gif_->width() || cells.height != gif_->height())
        throw std::logic_error("WorldAnimation::addFrame: the layers changed their size");
    frame_.resize(size_t(cells.width) * size_t(cells.height));
    raster.ComposeInto(frame_.data());
    DrawStepLabel(frame_.data(), cells.width, cells.height, step);
    gif_->addFrame(frame_.data());
    lastStep_ = step;
}

void WorldAnimation::finish()
{
    if (!gif_)
        throw std::logic_error("WorldAnimation::finish without a frame");
    gif_->finish();
}

AnimationFile::AnimationFile(const std::filesystem::path& file, int64_t every)
    : output_(PlanOutput(file)), animation_(every, [this](std::string_view bytes) { output_.write(bytes); })
{
}

void AnimationFile::commit()
{
    animation_.finish();
    output_.commit();
}

} // namespace landuse
