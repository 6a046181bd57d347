#pragma once
// The windows' font: Tahoma 10 pixels high where the free Tahoma of Wine's
// fonts is installed, DejaVu Sans otherwise.

#include <QFont>
#include <QString>

namespace landuse::ui {

// Where Debian's fonts-wine puts Tahoma; fontconfig does not index it.
inline const char* const TahomaFile = "/usr/share/wine/fonts/tahoma.ttf";

// Loads the Tahoma file when present and returns the font to use, at the
// given pixel height.
QFont WindowFont(int pixelHeight, const QString& tahomaFile = QString::fromLatin1(TahomaFile));

} // namespace landuse::ui
