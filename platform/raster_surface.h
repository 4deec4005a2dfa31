#pragma once

#include "platform/interfaces.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace chaos {

// The one place that relates surface units to pixels: a twip is 1/1440 inch,
// and the surface draws 96 pixels to the inch.
inline constexpr int kTwipsPerPixel = 15;

// A pixel index no surface has, for positions that are not finite or lie
// far outside any surface.
inline constexpr int kNowhere = -(1 << 29);

// The pixel column (or row) that holds a position in twips: pixel p covers
// twips [15p, 15p + 15).
inline int twipsToPixel(float twips) {
    const float pixel = std::floor(twips / kTwipsPerPixel);
    return (pixel > -1e8f && pixel < 1e8f) ? static_cast<int>(pixel) : kNowhere;
}
inline constexpr int twipsToPixel(int twips) {
    return twips >= 0 ? twips / kTwipsPerPixel : -((kTwipsPerPixel - 1 - twips) / kTwipsPerPixel);
}

// An opaque pixel 0xFFRRGGBB from a colour 0x00BBGGRR.
inline constexpr std::uint32_t toArgb(Color color) {
    return 0xFF000000u | ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
}

// Pixels 0xFFRRGGBB, row by row, addressed in twips; anything outside is clipped.
struct PixelTarget {
    std::uint32_t* bits = nullptr;
    int width = 0;   // pixels
    int height = 0;  // pixels

    bool contains(int px, int py) const {
        return static_cast<unsigned>(px) < static_cast<unsigned>(width) &&
               static_cast<unsigned>(py) < static_cast<unsigned>(height);
    }
    void setPixel(int px, int py, std::uint32_t argb) {
        if (contains(px, py))
            bits[static_cast<std::ptrdiff_t>(py) * width + px] = argb;
    }
    // Whether a whole-numbered position lies on the drawing area: one unsigned
    // comparison a coordinate (a negative one wraps round to a large value).
    bool holds(std::int32_t x, std::int32_t y) const {
        return static_cast<std::uint32_t>(x) < static_cast<std::uint32_t>(width) * kTwipsPerPixel &&
               static_cast<std::uint32_t>(y) < static_cast<std::uint32_t>(height) * kTwipsPerPixel;
    }
    // A whole-numbered position that holds() accepts: integer division only.
    void plotInside(std::int32_t x, std::int32_t y, std::uint32_t argb) {
        const auto px = static_cast<std::uint32_t>(x) / kTwipsPerPixel;
        const auto py = static_cast<std::uint32_t>(y) / kTwipsPerPixel;
        bits[static_cast<std::size_t>(py) * static_cast<std::uint32_t>(width) + px] = argb;
    }
    void plot(std::int32_t x, std::int32_t y, std::uint32_t argb) {
        if (holds(x, y))
            plotInside(x, y, argb);
    }
    void plot(float x, float y, std::uint32_t argb) {
        setPixel(twipsToPixel(x), twipsToPixel(y), argb);
    }
};

// A surface that draws into its own image in memory, usable with or without
// a window. It stands at a given place in the window (Left, Top, Width,
// Height in twips) and draws into a drawing area of the given pixel size.
class RasterSurface : public Surface {
public:
    static constexpr std::uint32_t kBackground = 0xFFFFFFFFu;  // white

    struct Placement {
        float left, top, width, height;  // twips, in the window
    };

    RasterSurface(Placement placement, int pixelWidth, int pixelHeight);

    void Circle(float x, float y, float radius, Color color) override;
    void PSet(float x, float y, Color color) override;
    void Cls() override;
    float Left() const override { return placement.left; }
    float Top() const override { return placement.top; }
    float Width() const override { return placement.width; }
    float Height() const override { return placement.height; }
    PixelTarget* pixels() override { return &target; }

    int pixelWidth() const { return target.width; }
    int pixelHeight() const { return target.height; }
    std::uint32_t pixel(int px, int py) const {
        return image[static_cast<std::size_t>(py) * target.width + px];
    }
    const std::uint32_t* bits() const { return image.data(); }

private:
    Placement placement;
    std::vector<std::uint32_t> image;
    PixelTarget target;
};

} // namespace chaos
