#pragma once
// What the simulation asks of whoever runs it: the window, a headless runner
// or a test. Every call happens on the thread that runs the simulation. The
// defaults are those of a host without windows.

#include "files/rgb_image.h"

#include <filesystem>
#include <string>

namespace landuse {

enum class HostWindow {
    Main,     // the main window
    RankSize, // the rank-size window
};

class SimHost {
public:
    virtual ~SimHost() = default;

    // Timer1: a step at every tick while it runs.
    virtual bool timerRunning() const { return false; }
    virtual void setTimer(bool /*on*/) {}
    void stopTimer() { setTimer(false); }

    virtual void setCaption(const std::string& /*text*/) {}
    // A failed conversion or another message for the user.
    virtual void showMessage(const std::string& /*text*/) {}
    // News that is no failure, such as the files just written.
    virtual void showInfo(const std::string& /*text*/) {}
    // Where a sweep stands, shown until the next progress (empty: none).
    virtual void showProgress(const std::string& /*text*/) {}
    // Shows the rank-size window without waiting for it.
    virtual void showRankSizeWindow() {}
    // Brings the tab page with this index to the front.
    virtual void showPage(int /*index*/) {}

    // The picture of a window's client area; an empty picture when the host
    // has no such window.
    virtual RgbImage windowPicture(HostWindow /*window*/) { return {}; }
    // The folder whose "pictures" and "data" folders receive the files.
    virtual std::filesystem::path programFolder() { return std::filesystem::current_path(); }
};

} // namespace landuse
