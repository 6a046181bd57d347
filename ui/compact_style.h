#pragma once
// A style that keeps the tabs narrow, so the five page tabs fit the
// 297-pixel page control side by side.

#include <QProxyStyle>

namespace landuse::ui {

class CompactTabStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override
    {
        if (metric == PM_TabBarTabHSpace)
            return 10;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace landuse::ui
