#include "sim/headless_host.h"

namespace landuse {

RgbImage HeadlessHost::windowPicture(HostWindow window)
{
    RgbImage picture;
    if (window != HostWindow::Main || !raster_ || raster_->CellLayer().width == 0)
        return picture;
    const std::vector<uint32_t> pixels = raster_->Compose();
    picture.width = raster_->CellLayer().width;
    picture.height = raster_->CellLayer().height;
    picture.rgb.reserve(pixels.size() * 3);
    for (uint32_t p : pixels) {
        picture.rgb.push_back(uint8_t(p >> 16));
        picture.rgb.push_back(uint8_t(p >> 8));
        picture.rgb.push_back(uint8_t(p));
    }
    return picture;
}

} // namespace landuse
