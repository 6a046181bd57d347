#pragma once
// Pictures of windows' client areas for the saved JPEGs, also of windows
// that are hidden or were never shown.

#include "files/rgb_image.h"

#include <QImage>

#include <initializer_list>

class QWidget;

namespace landuse::ui {

class ChartView;

// The window's client area; its charts drawn from their own rendering, since
// a chart that was never on screen has no size of its own yet.
QImage WindowPicture(QWidget* window, std::initializer_list<ChartView*> charts);

// The picture as the export writes it: red, green, blue bytes, rows from the top.
RgbImage ToRgbImage(const QImage& image);

} // namespace landuse::ui
