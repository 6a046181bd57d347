#include "ui/window_picture.h"

#include "ui/chart_view.h"

#include <QPainter>
#include <QWidget>

namespace landuse::ui {

QImage WindowPicture(QWidget* window, std::initializer_list<ChartView*> charts)
{
    QImage image = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QPainter painter(&image);
    for (ChartView* chart : charts)
        painter.drawImage(chart->geometry().topLeft(), chart->renderImage());
    return image;
}

RgbImage ToRgbImage(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    RgbImage out;
    out.width = rgb.width();
    out.height = rgb.height();
    out.rgb.resize(size_t(out.width) * size_t(out.height) * 3);
    for (int y = 0; y < out.height; ++y) {
        const uchar* line = rgb.constScanLine(y);
        std::copy(line, line + size_t(out.width) * 3, out.rgb.begin() + std::ptrdiff_t(size_t(y) * size_t(out.width) * 3));
    }
    return out;
}

} // namespace landuse::ui
