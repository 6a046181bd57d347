#pragma once
// What the simulation asks of whoever runs it: the window, the headless
// runner or a test. Every call happens on the thread that runs the step.

#include <string>

namespace landuse {

class SimHost {
public:
    virtual ~SimHost() = default;
    virtual void stopTimer() {}
    virtual void setStepLabel(const std::string& /*text*/) {}
    virtual void setCaption(const std::string& /*text*/) {}
    // A failed conversion or another message for the user.
    virtual void showMessage(const std::string& /*text*/) {}
};

} // namespace landuse
