#pragma once
// ZeichenPanel: shows the cell layer with the agent layer on top, and hands
// the mouse to the simulation's painting. The layers are the raster's own
// buffers, shown where they are, never copied.

#include "ui/frame_gate.h"

#include <QFrame>

#include <cstdint>

namespace landuse {
class Simulation;
class WorldRaster;
} // namespace landuse

namespace landuse::ui {

class WorldView : public QFrame {
    Q_OBJECT
public:
    WorldView(Simulation& sim, const WorldRaster& raster, QWidget* parent = nullptr);

    // Asks for a repaint when the layers changed since they were last shown,
    // at most once per frame.
    void refresh();

signals:
    // The mouse changed the world (it may have painted cells).
    void painted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPoint panelPixel(const QPointF& position) const;

    Simulation& sim_;
    const WorldRaster& raster_;
    uint64_t shownVersion_ = ~uint64_t(0);
    FrameGate frames_;
};

} // namespace landuse::ui
