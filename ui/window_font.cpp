#include "ui/window_font.h"

#include <QFile>
#include <QFontDatabase>

namespace landuse::ui {

QFont WindowFont(int pixelHeight, const QString& tahomaFile)
{
    QString family = QStringLiteral("DejaVu Sans");
    if (QFile::exists(tahomaFile)) {
        const int id = QFontDatabase::addApplicationFont(tahomaFile);
        const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
        if (!families.isEmpty())
            family = families.first();
    }
    QFont font(family);
    font.setPixelSize(pixelHeight);
    return font;
}

} // namespace landuse::ui
