#include "sim/headless_host.h"

namespace landuse {

RgbImage HeadlessHost::windowPicture(HostWindow window)
{
    if (window != HostWindow::Main || !raster_ || raster_->CellLayer().width == 0)
        return {};
    return ComposedPicture(*raster_);
}

RgbImage ComposedPicture(const WorldRaster& raster)
{
    RgbImage picture;
    // 0xFFRRGGBB words to red, green, blue.
    const std::vector<uint32_t> pixels = raster.Compose();
    picture.width = raster.CellLayer().width;
    picture.height = raster.CellLayer().height;
    picture.rgb.reserve(pixels.size() * 3);
    for (uint32_t p : pixels) {
        picture.rgb.push_back(uint8_t(p >> 16));
        picture.rgb.push_back(uint8_t(p >> 8));
        picture.rgb.push_back(uint8_t(p));
    }
    return picture;
}

} // namespace landuse
