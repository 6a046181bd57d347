#pragma once
// A host that records what the simulation shows, for tests.

#include "sim/host.h"

#include <string>
#include <vector>

namespace landuse::test {

class FakeHost : public SimHost {
public:
    bool timerRunning() const override { return timerOn; }
    void setTimer(bool on) override
    {
        if (!on)
            ++timerStops; // every request to stop, running or not
        timerOn = on;
    }
    void setCaption(const std::string& text) override { caption = text; }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void showRankSizeWindow() override { ++rankSizeShown; }
    void showPage(int index) override { page = index; }

    bool timerOn = false;
    int timerStops = 0;
    int rankSizeShown = 0;
    int page = -1;
    std::string caption;
    std::vector<std::string> messages;
};

} // namespace landuse::test
