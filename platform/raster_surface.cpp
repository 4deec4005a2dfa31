#include "platform/raster_surface.h"

#if CHAOS_AVX2_CODE
#include <immintrin.h>
#endif
#if CHAOS_SIMD128_CODE
#include <wasm_simd128.h>
#endif

#include <algorithm>
#include <cmath>

namespace chaos {

namespace {

// Painting the marks, 32 (AVX2) or 16 (SIMD128) bytes at a time: a block
// without marks is skipped at once. Each returns how many bytes it took.
#if CHAOS_AVX2_CODE
CHAOS_AVX2 std::size_t paintAvx2(std::uint8_t* mask, std::uint32_t* image, std::size_t pixels, std::uint32_t pixel) {
    const __m256i color = _mm256_set1_epi32(static_cast<int>(pixel));
    const __m256i zero = _mm256_setzero_si256();
    std::size_t i = 0;
    for (; i + 32 <= pixels; i += 32) {
        auto* marks = reinterpret_cast<__m256i*>(mask + i);
        if (_mm256_testz_si256(_mm256_loadu_si256(marks), _mm256_loadu_si256(marks)))
            continue;
        for (std::size_t q = 0; q < 32; q += 8) {
            const __m256i wide = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(mask + i + q)));
            auto* pixels8 = reinterpret_cast<__m256i*>(image + i + q);
            const __m256i unmarked = _mm256_cmpeq_epi32(wide, zero);
            _mm256_storeu_si256(pixels8, _mm256_blendv_epi8(color, _mm256_loadu_si256(pixels8), unmarked));
        }
        _mm256_storeu_si256(marks, zero);
    }
    return i;
}
#endif

#if CHAOS_SIMD128_CODE
std::size_t paintSimd128(std::uint8_t* mask, std::uint32_t* image, std::size_t pixels, std::uint32_t pixel) {
    const v128_t color = wasm_u32x4_splat(pixel);
    std::size_t i = 0;
    for (; i + 16 <= pixels; i += 16) {
        const v128_t marks = wasm_v128_load(mask + i);
        if (!wasm_v128_any_true(marks))
            continue;
        // -1 in every lane of a marked pixel, widened from bytes to pixels.
        const v128_t marked = wasm_i8x16_ne(marks, wasm_i32x4_splat(0));
        const v128_t low = wasm_i16x8_extend_low_i8x16(marked), high = wasm_i16x8_extend_high_i8x16(marked);
        const v128_t lanes[4] = {wasm_i32x4_extend_low_i16x8(low), wasm_i32x4_extend_high_i16x8(low),
                                 wasm_i32x4_extend_low_i16x8(high), wasm_i32x4_extend_high_i16x8(high)};
        for (std::size_t q = 0; q < 4; ++q) {
            std::uint32_t* four = image + i + 4 * q;
            wasm_v128_store(four, wasm_v128_bitselect(color, wasm_v128_load(four), lanes[q]));
        }
        wasm_v128_store(mask + i, wasm_i32x4_splat(0));
    }
    return i;
}
#endif

} // namespace

void paintMarkedDots(std::uint8_t* mask, std::uint32_t* image, std::size_t pixels, std::uint32_t pixel, Simd simd) {
    std::size_t i = 0;
#if CHAOS_AVX2_CODE
    if (simd == Simd::Avx2)
        i = paintAvx2(mask, image, pixels, pixel);
#endif
#if CHAOS_SIMD128_CODE
    if (simd == Simd::Simd128)
        i = paintSimd128(mask, image, pixels, pixel);
#endif
    for (; i < pixels; ++i)
        if (mask[i]) {
            image[i] = pixel;
            mask[i] = 0;
        }
}

RasterSurface::RasterSurface(Placement place, Area twips, int dpi) : placement(place), area(twips), density(0) {
    setDensity(dpi);
}

void RasterSurface::setDensity(int dpi) {
    dpi = std::clamp(dpi, kMinDpi, kMaxDpi);
    if (dpi == density)
        return;
    density = dpi;
    width = std::max(twipsToPixel(area.width, dpi), 0);
    height = std::max(twipsToPixel(area.height, dpi), 0);
    image.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kBackground);
    walked.clear();
    marked = false;
    drawn = false;
}

void RasterSurface::setPixel(int px, int py, std::uint32_t pixel) {
    drawn = true;
    if (static_cast<unsigned>(px) < static_cast<unsigned>(width) && static_cast<unsigned>(py) < static_cast<unsigned>(height))
        image[static_cast<std::size_t>(py) * static_cast<std::size_t>(width) + static_cast<std::size_t>(px)] = pixel;
}

// Midpoint circle: the pixels nearest to the true circle, each once, in the
// eight octants; a radius under half a pixel gives the centre pixel alone.
void RasterSurface::Circle(float x, float y, float radius, Color color) {
    settle();
    const int cx = twipsToPixel(x, density);
    const int cy = twipsToPixel(y, density);
    const double pixelRadius = static_cast<double>(radius) * density / kTwipsPerInch;
    if (cx == kNowhere || cy == kNowhere || !(pixelRadius >= 0.0) || pixelRadius > 1e5)
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
    setPixel(twipsToPixel(x, density), twipsToPixel(y, density), toPixel(color));
}

void RasterSurface::Cls() {
    if (marked)
        std::fill(walked.begin(), walked.end(), std::uint8_t{0});
    marked = false;
    drawn = false;
    std::fill(image.begin(), image.end(), kBackground);
}

DotMask RasterSurface::markDots(Color color) {
    if (walked.empty())
        walked.assign(image.size() + 1, 0);  // the last byte takes the dots off the area
    const std::uint32_t pixel = toPixel(color);
    if (marked && pixel != walkedPixel)
        settle();  // the marks of another color first
    walkedPixel = pixel;
    marked = true;
    drawn = true;
    return {walked.data(), width, height, simd, density};
}

void RasterSurface::settle() {
    if (!marked)
        return;
    paintMarkedDots(walked.data(), image.data(), image.size(), walkedPixel, simd);
    marked = false;
}

} // namespace chaos
