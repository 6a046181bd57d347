#include "ui/world_view.h"

#include "render/world_raster.h"
#include "sim/simulation.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace landuse::ui {

namespace {

// The layer's pixels as an image, without a copy; valid while the layer is.
QImage wrap(const PixelLayer& layer, QImage::Format format)
{
    return QImage(reinterpret_cast<const uchar*>(layer.pixels.data()), layer.width, layer.height,
                  layer.width * int(sizeof(uint32_t)), format);
}

MouseButton buttonOf(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return MouseButton::Left;
    case Qt::RightButton:
        return MouseButton::Right;
    default:
        return MouseButton::Other;
    }
}

} // namespace

WorldView::WorldView(Simulation& sim, const WorldRaster& raster, QWidget* parent)
    : QFrame(parent), sim_(sim), raster_(raster), frames_([this] {
          if (raster_.version() != shownVersion_)
              update();
      })
{
    setObjectName(QStringLiteral("ZeichenPanel"));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    // Every pixel is painted from the layers; nothing behind shows through.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void WorldView::refresh()
{
    if (raster_.version() != shownVersion_)
        frames_.changed();
}

void WorldView::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.setClipRect(area);
    const PixelLayer& cells = raster_.CellLayer();
    // White shows only where the cell layer does not reach.
    if (cells.width < area.width() || cells.height < area.height())
        painter.fillRect(area, Qt::white);
    if (cells.width > 0)
        painter.drawImage(area.topLeft(), wrap(cells, QImage::Format_RGB32));
    const PixelLayer& agents = raster_.AgentLayer();
    if (agents.width > 0 && !raster_.AgentLayerClear())
        painter.drawImage(area.topLeft(), wrap(agents, QImage::Format_ARGB32_Premultiplied));
    shownVersion_ = raster_.version();
}

QPoint WorldView::panelPixel(const QPointF& position) const
{
    const QPointF inside = position - QPointF(contentsRect().topLeft());
    return {int(std::floor(inside.x())), int(std::floor(inside.y()))};
}

void WorldView::mousePressEvent(QMouseEvent* event)
{
    sim_.MouseDown(buttonOf(event->button()), event->modifiers().testFlag(Qt::ControlModifier));
}

void WorldView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pixel = panelPixel(event->position());
    sim_.MouseMove(pixel.x(), pixel.y());
    emit painted();
    refresh();
}

void WorldView::mouseReleaseEvent(QMouseEvent*)
{
    sim_.MouseUp();
}

} // namespace landuse::ui
