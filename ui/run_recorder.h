#pragma once
// The "record" box of the Graphic page: while it is ticked and the run goes,
// every tenth step of the world goes into an animated GIF,
// pictures/<E_pName>.gif; the file takes its name when the run stops or the
// box is cleared.

#include "analysis/world_animation.h"
#include "render/world_raster.h"
#include "sim/host.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace landuse::ui {

class RunRecorder {
public:
    RunRecorder(const WorldRaster& raster, std::filesystem::path programFolder)
        : raster_(raster), programFolder_(std::move(programFolder))
    {
    }

    // After a step: starts a recording when the box is ticked and the run
    // goes, and keeps the step when it is due. A file that cannot be
    // written ends the recording with its message to the host.
    void afterStep(bool wanted, bool running, const std::string& stem, int64_t step, SimHost& host);
    // The run stopped or the box was cleared: the world as it is now ends
    // the animation, which takes its name; the host hears where it went.
    void finish(int64_t step, SimHost& host);

    bool recording() const { return bool(file_); }
    // The GIF for a stem: pictures/<stem>.gif beside the program.
    std::filesystem::path fileFor(const std::string& stem) const;

private:
    const WorldRaster& raster_;
    std::filesystem::path programFolder_;
    std::unique_ptr<AnimationFile> file_;
    bool failed_ = false; // until the box is cleared or the run stops: no retry every step
};

} // namespace landuse::ui
