#pragma once

#include "platform/interfaces.h"
#include "platform/simd.h"
#include "platform/twips.h"

#include <bit>
#include <cstdint>
#include <vector>

namespace chaos {

// An opaque pixel from a colour 0x00BBGGRR. A pixel's four bytes in memory
// are red, green, blue and 255, as a canvas and Qt's RGBX8888 images keep
// them: on a little-endian machine, the colour with the top byte set.
static_assert(std::endian::native == std::endian::little, "pixels are kept as little-endian words");
inline constexpr std::uint32_t toPixel(Color color) {
    return 0xFF000000u | (color & 0xFFFFFFu);
}

// A surface that draws into its own image in memory, usable with or without
// a window. It stands at a given place in the window (Left, Top, Width,
// Height in twips) and draws into a drawing area of a given size in twips,
// in pixels of a given density: floor(twips * dpi / 1440) of them each way,
// the area's right and bottom edges rounded down to whole pixels.
class RasterSurface : public Surface {
public:
    static constexpr std::uint32_t kBackground = 0xFFFFFFFFu;  // white

    struct Placement {
        float left, top, width, height;  // twips, in the window
    };

    struct Area {
        int width, height;  // twips
    };

    RasterSurface(Placement placement, Area area, int dpi);
    // An area of this many pixels at 96 dpi.
    RasterSurface(Placement placement, int pixelWidth, int pixelHeight)
        : RasterSurface(placement, {pixelToTwips(pixelWidth), pixelToTwips(pixelHeight)}, kLogicalDpi) {}

    void Circle(float x, float y, float radius, Color color) override;
    void PSet(float x, float y, Color color) override;
    void Cls() override;
    float Left() const override { return placement.left; }
    float Top() const override { return placement.top; }
    float Width() const override { return placement.width; }
    float Height() const override { return placement.height; }
    DotMask markDots(Color color) override;

    int pixelWidth() const { return width; }
    int pixelHeight() const { return height; }
    int dpi() const { return density; }
    // Whether nothing was drawn since it was made, cleared or given a density.
    bool blank() const { return !drawn; }
    // The picture at another density (within 96..384), cleared; the same
    // density keeps it as it is.
    void setDensity(int dpi);
    // Reading the image first paints the dots that walks have marked.
    std::uint32_t pixel(int px, int py) {
        settle();
        return image[static_cast<std::size_t>(py) * static_cast<std::size_t>(width) + static_cast<std::size_t>(px)];
    }
    const std::uint32_t* bits() {
        settle();
        return image.data();
    }
    // Paints the marked dots into the image; drawing and reading do it
    // first, so that everything lands in the order drawn.
    void settle();
    // Which code marks and paints dots; every choice gives the same pixels.
    void useSimd(Simd choice) { simd = choice; }

private:
    void setPixel(int px, int py, std::uint32_t pixel);  // and notes that something was drawn
    Placement placement;
    Area area;
    int density;
    int width, height;  // pixels
    std::vector<std::uint32_t> image;
    std::vector<std::uint8_t> walked;  // marked dots, made when dots are first marked
    std::uint32_t walkedPixel = 0;
    bool marked = false;  // whether `walked` may hold marks
    bool drawn = false;
    Simd simd = bestSimd();
};

// Paints `pixel` into image[i] for every marked byte mask[i], i < pixels, and
// clears those marks.
void paintMarkedDots(std::uint8_t* mask, std::uint32_t* image, std::size_t pixels, std::uint32_t pixel, Simd simd);

} // namespace chaos
