#include "platform/raster_surface.h"

#include "platform/dot_walk.h"

#include <algorithm>

namespace chaos {

// A walk on this surface: marks its dots in the surface's mask.
class RasterSurface::Walk final : public DotWalk {
public:
    Walk(RasterSurface& surface, const AnchorView& anchors)
        : surface(surface), kernel(anchors, {surface.walked.data(), surface.width, surface.height}, surface.simd) {}

    void walk(WholePoint& at, const float* r, std::size_t n, Color color) override {
        surface.markingIn(toPixel(color));
        kernel.walk(at, r, n);
    }

private:
    RasterSurface& surface;
    DotKernel kernel;
};

RasterSurface::RasterSurface(Placement place, int pixelWidth, int pixelHeight)
    : placement(place),
      width(std::max(pixelWidth, 0)),
      height(std::max(pixelHeight, 0)),
      image(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kBackground) {}

void RasterSurface::setPixel(int px, int py, std::uint32_t pixel) {
    if (static_cast<unsigned>(px) < static_cast<unsigned>(width) && static_cast<unsigned>(py) < static_cast<unsigned>(height))
        image[static_cast<std::size_t>(py) * static_cast<std::size_t>(width) + static_cast<std::size_t>(px)] = pixel;
}

// Midpoint circle: the pixels nearest to the true circle, each once, in the
// eight octants; a radius under half a pixel gives the centre pixel alone.
void RasterSurface::Circle(float x, float y, float radius, Color color) {
    settle();
    const int cx = twipsToPixel(x);
    const int cy = twipsToPixel(y);
    const float pixelRadius = radius / kTwipsPerPixel;
    if (cx == kNowhere || cy == kNowhere || !(pixelRadius >= 0.0f) || pixelRadius > 1e5f)
        return;  // not on any surface, or not a radius
    const std::uint32_t pixel = toPixel(color);
    const int r = static_cast<int>(std::lround(pixelRadius));
    int dx = r;
    int dy = 0;
    int err = 1 - r;
    while (dx >= dy) {
        const int xs[] = {dx, dy, -dy, -dx, -dx, -dy, dy, dx};
        const int ys[] = {dy, dx, dx, dy, -dy, -dx, -dx, -dy};
        for (int i = 0; i < 8; ++i)
            setPixel(cx + xs[i], cy + ys[i], pixel);
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
    settle();
    setPixel(twipsToPixel(x), twipsToPixel(y), toPixel(color));
}

void RasterSurface::Cls() {
    if (marked)
        std::fill(walked.begin(), walked.end(), std::uint8_t{0});
    marked = false;
    std::fill(image.begin(), image.end(), kBackground);
}

std::unique_ptr<DotWalk> RasterSurface::startWalk(const AnchorView& anchors) {
    if (walked.empty())
        walked.assign(image.size() + 1, 0);  // the last byte takes the dots off the area
    return std::make_unique<Walk>(*this, anchors);
}

void RasterSurface::markingIn(std::uint32_t pixel) {
    if (marked && pixel != walkedPixel)
        settle();
    walkedPixel = pixel;
    marked = true;
}

void RasterSurface::settle() {
    if (!marked)
        return;
    paintMarkedDots(walked.data(), image.data(), image.size(), walkedPixel, simd);
    marked = false;
}

} // namespace chaos
