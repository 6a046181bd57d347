#include "ui/frame_gate.h"

namespace landuse::ui {

FrameGate::FrameGate(std::function<void()> show, QObject* parent) : QObject(parent), show_(std::move(show))
{
    due_.setSingleShot(true);
    connect(&due_, &QTimer::timeout, this, [this] { showNow(); });
}

void FrameGate::changed()
{
    if (due_.isActive())
        return;
    const qint64 since = sinceShown_.isValid() ? sinceShown_.elapsed() : FrameMilliseconds;
    if (since >= FrameMilliseconds)
        showNow();
    else
        due_.start(int(FrameMilliseconds - since));
}

void FrameGate::showNow()
{
    sinceShown_.start();
    show_();
}

} // namespace landuse::ui
