#include "platform/raster_surface.h"

#include <algorithm>

namespace chaos {

RasterSurface::RasterSurface(Placement place, int pixelWidth, int pixelHeight)
    : placement(place),
      image(static_cast<std::size_t>(std::max(pixelWidth, 0)) * std::max(pixelHeight, 0), kBackground) {
    target = PixelTarget{image.data(), std::max(pixelWidth, 0), std::max(pixelHeight, 0)};
}

// Midpoint circle: the pixels nearest to the true circle, each once, in the
// eight octants; a radius under half a pixel gives the centre pixel alone.
void RasterSurface::Circle(float x, float y, float radius, Color color) {
    const int cx = twipsToPixel(x);
    const int cy = twipsToPixel(y);
    const float pixelRadius = radius / kTwipsPerPixel;
    if (cx == kNowhere || cy == kNowhere || !(pixelRadius >= 0.0f) || pixelRadius > 1e5f)
        return;  // not on any surface, or not a radius
    const std::uint32_t argb = toArgb(color);
    const int r = static_cast<int>(std::lround(pixelRadius));
    int dx = r;
    int dy = 0;
    int err = 1 - r;
    while (dx >= dy) {
        const int xs[] = {dx, dy, -dy, -dx, -dx, -dy, dy, dx};
        const int ys[] = {dy, dx, dx, dy, -dy, -dx, -dx, -dy};
        for (int i = 0; i < 8; ++i)
            target.setPixel(cx + xs[i], cy + ys[i], argb);
        ++dy;
        if (err < 0) {
            err += 2 * dy + 1;
        } else {
            --dx;
            err += 2 * (dy - dx) + 1;
        }
    }
}

void RasterSurface::PSet(float x, float y, Color color) {
    target.plot(x, y, toArgb(color));
}

void RasterSurface::Cls() {
    std::fill(image.begin(), image.end(), kBackground);
}

} // namespace chaos
