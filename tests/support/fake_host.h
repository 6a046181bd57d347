#pragma once
// A host that records what the simulation shows, for tests.

#include "model/host.h"

#include <string>
#include <vector>

namespace landuse::test {

class FakeHost : public SimHost {
public:
    void stopTimer() override { ++timerStops; }
    void setStepLabel(const std::string& text) override { stepLabel = text; }
    void setCaption(const std::string& text) override { caption = text; }
    void showMessage(const std::string& text) override { messages.push_back(text); }

    int timerStops = 0;
    std::string stepLabel;
    std::string caption;
    std::vector<std::string> messages;
};

} // namespace landuse::test
