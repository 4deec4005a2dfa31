#pragma once

#include <cmath>
#include <cstdint>
#include <utility>

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
// The same for twips known to be on the area (never negative): one multiply
// and shift.
inline constexpr unsigned twipsToPixel(unsigned twips) { return twips / kTwipsPerPixel; }
// The first twip of a pixel column (or row); n pixels are pixelToTwips(n) twips.
inline constexpr int pixelToTwips(int pixel) { return pixel * kTwipsPerPixel; }

// The surface's own pixels follow the screen's density: `dpi` device pixels
// to the inch, 96 times the screen's device pixel ratio, so 1440 / dpi twips
// per pixel (15 at 96, 7.5 at 192, 8.57... at 168). Whole numbers throughout.
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kLogicalDpi = 96;
inline constexpr int kMinDpi = kLogicalDpi, kMaxDpi = 4 * kLogicalDpi;  // ratios 1 to 4

// The density of a screen of this device pixel ratio, kept within ratios 1 to 4.
inline int dpiOf(double ratio) {
    if (!(ratio >= 1.0))
        return kMinDpi;
    return ratio >= 4.0 ? kMaxDpi : static_cast<int>(std::lround(ratio * kLogicalDpi));
}

// The surface's device pixels at `dpi`: pixel p covers the twips x with
// floor(x * dpi / 1440) = p, in whole numbers (the float form in double
// precision, exact for every float), and its first whole twip is
// ceil(p * 1440 / dpi), which a press on it is handed as (15p at 96 dpi).
inline constexpr int twipsToPixel(int twips, int dpi) {
    const std::int64_t scaled = std::int64_t{twips} * dpi;
    return static_cast<int>(scaled >= 0 ? scaled / kTwipsPerInch : -((kTwipsPerInch - 1 - scaled) / kTwipsPerInch));
}
inline int twipsToPixel(float twips, int dpi) {
    const double pixel = std::floor(static_cast<double>(twips) * dpi / kTwipsPerInch);
    return (pixel > -1e8 && pixel < 1e8) ? static_cast<int>(pixel) : kNowhere;
}
inline constexpr int pixelToTwips(int pixel, int dpi) {
    const std::int64_t scaled = std::int64_t{pixel} * kTwipsPerInch;
    return static_cast<int>(scaled >= 0 ? (scaled + dpi - 1) / dpi : -(-scaled / dpi));
}

// twipsToPixel for whole twips 0 <= x < below, the way vector code divides:
// (x * factor mod 2^bits) >> shift, for `twips` twips to `pixels` pixels, with
// factor = ceil(2^shift * pixels / twips). The factor exceeds the exact ratio by
// error / (twips * 2^shift), which keeps every x with x * error < 2^shift in
// its pixel; and the product must stay below 2^bits. Made from the twips per
// pixel as a fraction, so that it can be made again for another one.
struct PixelDivision {
    std::uint64_t twips, pixels;  // twips per pixel: twips / pixels
    std::uint64_t factor;
    int shift;
    std::uint64_t error;  // factor * twips - 2^shift * pixels

    constexpr bool exactBelow(std::uint64_t below, int bits = 32) const {
        return below == 0 || ((below - 1) * error < (std::uint64_t{1} << shift) &&
                              (bits >= 64 ? below - 1 <= ~std::uint64_t{0} / factor
                                          : (below - 1) * factor < (std::uint64_t{1} << bits)));
    }
    // The same quotients with the factor 2^k times larger, for a product
    // that must lose a multiple of 2^bits.
    constexpr PixelDivision scaledBy(int k) const {
        return {twips, pixels, factor << k, shift + k, error << k};
    }
    // The widest area, in pixels, whose every twip it divides exactly.
    constexpr int widestArea(int bits = 32) const {
        std::uint64_t width = 0;
        while (exactBelow(((width + 1) * twips + pixels - 1) / pixels, bits))
            ++width;
        return static_cast<int>(width);
    }
};

constexpr PixelDivision pixelDivision(int shift, std::uint64_t twips = kTwipsPerPixel, std::uint64_t pixels = 1) {
    std::uint64_t a = twips, b = pixels;  // in lowest terms: the least error
    while (b != 0)
        a = std::exchange(b, a % b);
    if (a > 1) {
        twips /= a;
        pixels /= a;
    }
    const std::uint64_t scaled = (std::uint64_t{1} << shift) * pixels;
    const std::uint64_t factor = (scaled + twips - 1) / twips;
    return {twips, pixels, factor, shift, factor * twips - scaled};
}

} // namespace chaos
