#include "ui/frame_gate.h"

namespace landuse::ui {

FrameGate::FrameGate(std::function<void()> show, QObject* parent, int frameMilliseconds)
    : QObject(parent), show_(std::move(show)), frame_(frameMilliseconds)
{
    due_.setSingleShot(true);
    connect(&due_, &QTimer::timeout, this, [this] { showNow(); });
}

void FrameGate::changed()
{
    if (due_.isActive())
        return;
    const qint64 since = sinceShown_.isValid() ? sinceShown_.elapsed() : frame_;
    if (since >= frame_)
        showNow();
    else
        due_.start(int(frame_ - since));
}

void FrameGate::flush()
{
    if (!due_.isActive())
        return;
    due_.stop();
    showNow();
}

void FrameGate::showNow()
{
    sinceShown_.start();
    show_();
}

} // namespace landuse::ui
