#pragma once

#include "platform/interfaces.h"
#include "platform/simd.h"

#include <bit>
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

// An opaque pixel from a colour 0x00BBGGRR. A pixel's four bytes in memory
// are red, green, blue and 255, as a canvas and Qt's RGBX8888 images keep
// them: on a little-endian machine, the colour with the top byte set.
static_assert(std::endian::native == std::endian::little, "pixels are kept as little-endian words");
inline constexpr std::uint32_t toPixel(Color color) {
    return 0xFF000000u | (color & 0xFFFFFFu);
}

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
    std::unique_ptr<DotWalk> startWalk(const AnchorView& anchors) override;

    int pixelWidth() const { return width; }
    int pixelHeight() const { return height; }
    // Reading the image first paints the dots that walks have marked.
    std::uint32_t pixel(int px, int py) {
        settle();
        return image[static_cast<std::size_t>(py) * static_cast<std::size_t>(width) + static_cast<std::size_t>(px)];
    }
    const std::uint32_t* bits() {
        settle();
        return image.data();
    }
    // Paints the dots that walks have marked into the image; drawing and
    // reading do it first, so that everything lands in the order drawn.
    void settle();
    // Which code runs walks; every choice gives the same pixels.
    void useSimd(Simd choice) { simd = choice; }

private:
    class Walk;

    void setPixel(int px, int py, std::uint32_t pixel);
    // Makes way for walked dots in `pixel`: paints those of another colour.
    void markingIn(std::uint32_t pixel);

    Placement placement;
    int width, height;  // pixels
    std::vector<std::uint32_t> image;
    std::vector<std::uint8_t> walked;  // a walk's marks, made when the first walk starts
    std::uint32_t walkedPixel = 0;
    bool marked = false;  // whether `walked` may hold marks
    Simd simd = bestSimd();
};

} // namespace chaos
