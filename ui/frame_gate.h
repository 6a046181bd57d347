#pragma once
// Lets a burst of changes through at screen pace: the first change of a
// quiet spell is shown at once, the rest of the burst at most once per
// frame. At a thousand steps a second a repaint per step would cost more
// than the steps.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

namespace landuse::ui {

class FrameGate : public QObject {
public:
    static constexpr int FrameMilliseconds = 33;

    // At most one show per `frameMilliseconds` within a burst.
    FrameGate(std::function<void()> show, QObject* parent = nullptr, int frameMilliseconds = FrameMilliseconds);

    // Something changed: shows it now, or when the frame is due.
    void changed();
    // Shows a change still waiting for its frame now.
    void flush();

private:
    void showNow();

    std::function<void()> show_;
    int frame_;
    QElapsedTimer sinceShown_;
    QTimer due_;
};

} // namespace landuse::ui
