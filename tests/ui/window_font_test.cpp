#include "ui/window_font.h"

#include <QFile>
#include <QFontInfo>

#include <gtest/gtest.h>

using namespace landuse::ui;

TEST(WindowFont, TahomaWhereItsFileIsAndDejaVuElsewhere)
{
    const QFont fallback = WindowFont(10, QStringLiteral("/nonexistent/tahoma.ttf"));
    EXPECT_EQ(fallback.family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(fallback.pixelSize(), 10);
    if (!QFile::exists(QString::fromLatin1(TahomaFile)))
        GTEST_SKIP() << "fonts-wine is not installed; the set-up script installs it";
    const QFont tahoma = WindowFont(10);
    EXPECT_EQ(tahoma.family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(QFontInfo(tahoma).family(), QStringLiteral("Tahoma")); // really loaded, not substituted
    EXPECT_EQ(QFontInfo(tahoma).pixelSize(), 10);
}
