#pragma once
// A host without windows, for runs from scripts, batch jobs and tests: the
// timer is a flag, messages are kept in order, and the one picture it has is
// the world as a raster draws it, saved as the main window's.

#include "render/world_raster.h"
#include "sim/host.h"

#include <filesystem>
#include <string>
#include <vector>

namespace landuse {

// The world as a picture: the cell layer with the agent layer over it.
RgbImage ComposedPicture(const WorldRaster& raster);

class HeadlessHost : public SimHost {
public:
    // Files go below `folder`; without a raster there is no picture to save.
    explicit HeadlessHost(std::filesystem::path folder, const WorldRaster* raster = nullptr)
        : folder_(std::move(folder)), raster_(raster)
    {
    }

    bool timerRunning() const override { return timer_; }
    void setTimer(bool on) override { timer_ = on; }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void showInfo(const std::string& text) override { info = text; }
    void showProgress(const std::string& text) override { progress.push_back(text); }
    RgbImage windowPicture(HostWindow window) override;
    std::filesystem::path programFolder() override { return folder_; }

    std::vector<std::string> messages;
    std::string info;
    std::vector<std::string> progress;

private:
    std::filesystem::path folder_;
    const WorldRaster* raster_;
    bool timer_ = false;
};

} // namespace landuse
