// The draw's passes in bulk: the same dots as the plain loop in
// core/point_cloud.cpp, made fast. Portable code makes them one at a time
// with the same chooseAnchor and halfway. The vector paths (AVX2, SIMD128)
// write the choice and the move again in their own instructions, because a
// pass through a scalar function would undo what they are for; the tests hold
// every path to a plain version of the rules, pixel for pixel. Why each trick
// of theirs is here:
//
// 1. The halving chain. Each pass starts where the last one ended, so the
//    latency of one pass bounds the whole draw. A coordinate is kept offset
//    by kOffset (so never negative) and unshifted: s, with the point at
//    u = s >> 1. One pass towards anchor coordinate a is then
//        s' = (s >> 1) + a + (b < s),   where b = 2a + 1.
//    Halving a - u with the quotient cut toward zero rounds the midpoint
//    toward u: up exactly when a < u, and a < u is the same as b < s. The
//    shift and the comparison both read s and run side by side, and one add
//    with carry follows: two cycles a pass, where c + (a - c) / 2 takes five
//    dependent operations.
// 2. Anchor choice eight at a time in AVX2, with the same float multiply,
//    clamp and truncation as the plain loop, so the same anchor; it is kept
//    as the byte offset of the anchor's table entry, ready to load from.
// 3. Dots as bytes in a mask (264 KB for the window's 551 x 479 area) rather
//    than as 4-byte pixels of a 1 MB image, so that stores to random places
//    stay in the second-level cache. The owner paints the marks into the
//    image in the walk's one colour before anything reads or draws on it
//    (RasterSurface::settle); nothing else draws during a walk, so the
//    picture is the same.
// 4. One software-pipelined loop: the chain of block b runs interleaved with
//    the anchor choices of block b + 1 and the pixel stores of block b - 1,
//    whose independent work fills the cycles the chain leaves idle. As
//    separate loops their times would add up.
//
// AVX2 is chosen at run time where the CPU has it. A WebAssembly build made with
// SIMD128 has a third way with the same tricks, bent to what WebAssembly and
// the browser's compiler (V8) do well; see walkSimd128.
#include "core/dot_walk.h"

#include "platform/twips.h"

#include <algorithm>
#include <cstdint>

#if CHAOS_AVX2_CODE
#include <immintrin.h>
#endif
#if CHAOS_SIMD128_CODE
#include <wasm_simd128.h>
#endif

namespace chaos {

namespace {

using Entry = DotKernel::Entry;

// Keeps every coordinate within kWalkReach non-negative, with a + kOffset and
// 2a + 1 within 32 bits for any 16-bit anchor a.
constexpr std::int64_t kOffset = std::int64_t{1} << 30;
static_assert(kOffset >= kWalkReach);

[[maybe_unused]] inline std::uint64_t unshifted(std::int32_t c) { return 2 * static_cast<std::uint64_t>(c + kOffset); }
[[maybe_unused]] inline std::int32_t pointOf(std::uint64_t s) { return static_cast<std::int32_t>(static_cast<std::int64_t>(s >> 1) - kOffset); }

// The twips on a mask's area, each way: those whose pixel it has, x with
// floor(x * dpi / 1440) < width, which is x < ceil(width * 1440 / dpi).
struct AreaTwips {
    std::uint32_t x, y;
};

inline AreaTwips areaOf(const DotMask& mask) {
    return {static_cast<std::uint32_t>(pixelToTwips(mask.width, mask.dpi)),
            static_cast<std::uint32_t>(pixelToTwips(mask.height, mask.dpi))};
}

// Whether a point lies on the area.
inline bool onArea(WholePoint p, AreaTwips area) {
    return static_cast<std::uint32_t>(p.x) < area.x && static_cast<std::uint32_t>(p.y) < area.y;
}

struct Run {
    const Entry* table;
    const std::int16_t *xs, *ys;
    float count, last;
    DotMask mask;
    AreaTwips area;
};

// The pixel of a twip on the area: one 64-bit multiply and shift where that
// is exact on the area, else the division itself.
struct Scaled {
    std::uint64_t factor;
    int shift;
    std::uint64_t operator()(std::uint32_t x) const { return x * factor >> shift; }
};
struct Divided {
    std::uint64_t dpi;
    std::uint64_t operator()(std::uint32_t x) const { return x * dpi / kTwipsPerInch; }
};

// The point and the run are kept in locals throughout: the mask's byte
// stores could otherwise alias them, and each pass would go through memory.
template <class ToPixel>
void walkPortable(WholePoint& at, const float* r, std::size_t n, const Run& shared, ToPixel toPixel) {
    const Run run = shared;
    WholePoint p = at;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t k = chooseAnchor(r[i], run.count, run.last);
        p = {halfway(p.x, run.xs[k]), halfway(p.y, run.ys[k])};
        // The mask byte for the dot: its pixel, or the byte after the last
        // pixel when it is off the area.
        const std::size_t mark = onArea(p, run.area) ? toPixel(static_cast<std::uint32_t>(p.y)) * static_cast<std::size_t>(run.mask.width) +
                                                           toPixel(static_cast<std::uint32_t>(p.x))
                                                     : run.mask.pixels();
        run.mask.bytes[mark] = 1;
    }
    at = p;
}

void walkPortable(WholePoint& at, const float* r, std::size_t n, const Run& run) {
    const PixelDivision division = pixelDivision(32, kTwipsPerInch, static_cast<std::uint64_t>(run.mask.dpi));
    if (division.exactBelow(std::max(run.area.x, run.area.y), 64))
        return walkPortable(at, r, n, run, Scaled{division.factor, division.shift});
    walkPortable(at, r, n, run, Divided{static_cast<std::uint64_t>(run.mask.dpi)});
}

// One pass of the halving chain (trick 1).
[[maybe_unused]] inline void pass(std::uint64_t& sx, std::uint64_t& sy, const Entry& e) {
    sx = (sx >> 1) + e.ax + (e.bx < sx);
    sy = (sy >> 1) + e.ay + (e.by < sy);
}

#if CHAOS_AVX2_CODE
constexpr std::size_t kBlock = 64;  // passes per block: a few hundred bytes of work in flight
// A dot's pixel is x * factor >> 19 in 32-bit lanes (34953 for 15 twips a
// pixel, at 96 dpi exact on areas up to kAvx2MaxPixels, 4993); the factor
// follows the density, and a walk takes this way where it is exact on the area.
constexpr int kAvx2Shift = 19;
constexpr PixelDivision kAvx2Division = pixelDivision(kAvx2Shift);
static_assert(kAvx2Division.factor < (std::uint64_t{1} << 31));
// At the densest screen too, so the factor fits a lane at every density.
static_assert(pixelDivision(kAvx2Shift, kTwipsPerInch, kMaxDpi).factor < (std::uint64_t{1} << 31));
constexpr int kTwipsToPixelShift = kAvx2Division.shift;
constexpr int kAvx2MaxPixels = kAvx2Division.widestArea();
static_assert(kAvx2MaxPixels > 0 && kAvx2Division.exactBelow(pixelToTwips(kAvx2MaxPixels)));

// Eight anchor choices: the byte offsets of their table entries.
CHAOS_AVX2 inline void chooseEight(const float* r, std::uint32_t* offsets, __m256 count, __m256 last) {
    // max(p, 0) gives 0 for NaN, as std::max(0.0f, p) does.
    const __m256 p = _mm256_min_ps(_mm256_max_ps(_mm256_mul_ps(_mm256_loadu_ps(r), count), _mm256_setzero_ps()), last);
    static_assert(sizeof(Entry) == 16);
    _mm256_store_si256(reinterpret_cast<__m256i*>(offsets), _mm256_slli_epi32(_mm256_cvttps_epi32(p), 4));
}

// What marking needs, made once a walk: after a byte store the compiler would
// otherwise read the mask's fields again, as the store could alias them.
struct Marking {
    std::uint8_t* bytes;
    __m256i offset, xLast, yLast, factor, width, offArea;
};

CHAOS_AVX2 inline Marking markingFor(const DotMask& mask, AreaTwips area, std::uint64_t factor) {
    return {mask.bytes,
            _mm256_set1_epi32(static_cast<int>(kOffset)),
            _mm256_set1_epi32(static_cast<int>(area.x - 1)),
            _mm256_set1_epi32(static_cast<int>(area.y - 1)),
            _mm256_set1_epi32(static_cast<int>(factor)),
            _mm256_set1_epi32(mask.width),
            _mm256_set1_epi32(static_cast<int>(mask.pixels()))};
}

// Marks the eight dots whose unshifted coordinates are sx[0..8), sy[0..8).
CHAOS_AVX2 inline void markEight(const std::uint32_t* sx, const std::uint32_t* sy, const Marking& m) {
    const __m256i x = _mm256_sub_epi32(_mm256_srli_epi32(_mm256_load_si256(reinterpret_cast<const __m256i*>(sx)), 1), m.offset);
    const __m256i y = _mm256_sub_epi32(_mm256_srli_epi32(_mm256_load_si256(reinterpret_cast<const __m256i*>(sy)), 1), m.offset);
    // Unsigned x <= width - 1: a negative x wraps round to a large value.
    const __m256i inside = _mm256_and_si256(_mm256_cmpeq_epi32(_mm256_min_epu32(x, m.xLast), x),
                                            _mm256_cmpeq_epi32(_mm256_min_epu32(y, m.yLast), y));
    const __m256i px = _mm256_srli_epi32(_mm256_mullo_epi32(x, m.factor), kTwipsToPixelShift);
    const __m256i py = _mm256_srli_epi32(_mm256_mullo_epi32(y, m.factor), kTwipsToPixelShift);
    const __m256i at = _mm256_add_epi32(_mm256_mullo_epi32(py, m.width), px);
    alignas(32) std::uint32_t marks[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(marks), _mm256_blendv_epi8(m.offArea, at, inside));
#pragma GCC unroll 8
    for (std::uint32_t mark : marks)
        m.bytes[mark] = 1;
}

CHAOS_AVX2 void walkAvx2(WholePoint& at, const float* r, std::size_t n, const Run& run, std::uint64_t factor) {
    const std::size_t blocks = n / kBlock;
    if (blocks > 0) {
        std::uint64_t sx = unshifted(at.x), sy = unshifted(at.y);
        const __m256 count = _mm256_set1_ps(run.count), last = _mm256_set1_ps(run.last);
        const auto* table = reinterpret_cast<const char*>(run.table);
        const Marking marking = markingFor(run.mask, run.area, factor);
        alignas(32) std::uint32_t offsets[2][kBlock];
        alignas(32) std::uint32_t xs[2][kBlock] = {};  // 0: far off any area
        alignas(32) std::uint32_t ys[2][kBlock] = {};
        for (std::size_t g = 0; g < kBlock; g += 8)
            chooseEight(r + g, &offsets[0][g], count, last);
        for (std::size_t b = 0; b < blocks; ++b) {
            const std::size_t now = b & 1, other = now ^ 1;
            for (std::size_t g = 0; g < kBlock; g += 8) {
                if (b + 1 < blocks)
                    chooseEight(r + (b + 1) * kBlock + g, &offsets[other][g], count, last);
#pragma GCC unroll 8
                for (std::size_t j = g; j < g + 8; ++j) {
                    pass(sx, sy, *reinterpret_cast<const Entry*>(table + offsets[now][j]));
                    // Below 2^32 after any pass from within kReach.
                    xs[now][j] = static_cast<std::uint32_t>(sx);
                    ys[now][j] = static_cast<std::uint32_t>(sy);
                }
                if (b > 0)
                    markEight(&xs[other][g], &ys[other][g], marking);
            }
        }
        const std::size_t lastBlock = (blocks - 1) & 1;
        for (std::size_t g = 0; g < kBlock; g += 8)
            markEight(&xs[lastBlock][g], &ys[lastBlock][g], marking);
        at = {pointOf(sx), pointOf(sy)};
    }
    walkPortable(at, r + blocks * kBlock, n - blocks * kBlock, run);
}

#endif

#if CHAOS_SIMD128_CODE
// WebAssembly has no add with carry, and V8 turns a comparison into a flag,
// a byte and a widening before it can be added. So the chain takes b < s as
// the top bit of b - s in 64 bits (both are below 2^33):
//     s' = (s >> 1) + a + ((b - s) >> 63)
// three one-cycle operations deep (subtract, shift, add), x and y side by
// side in scalar registers. (In a vector, x and y in two lanes, the chain is
// as deep, but measured here the whole draw was 20% slower with it.)
// Anchor choice and marking run four at a time in SIMD128, pipelined with the
// chain as for AVX2.
constexpr std::size_t kSimd128Block = 64;
// A whole float f in [0, 2^23) plus 2^23 has f in its low mantissa bits,
// above the bits of 2^23 itself; in V8 a float floor and an add are two
// instructions where a saturating conversion to integers is seven.
constexpr float kWholeBias = 0x1.0p23f;
constexpr std::uint32_t kWholeBiasBits = 0x4B000000u;
static_assert(sizeof(Entry) == 16);
// A dot's pixel is (u * 4f mod 2^32) >> (s + 2) for u = x + kOffset and f the
// factor of x * f >> s (34953 for 15 twips a pixel, s = 19): the offset times
// 4f is a multiple of 2^32 and drops out, and the rest is x * f >> s as long
// as x * 4f stays below 2^32: at 96 dpi areas up to kSimd128MaxPixels (2048).
// At a density, a walk takes the largest s from 19 down that is exact on its
// area, if any.
constexpr PixelDivision simd128Division(int dpi, int shift = 19) {
    return pixelDivision(shift, kTwipsPerInch, static_cast<std::uint64_t>(dpi)).scaledBy(2);
}
constexpr PixelDivision kSimd128Division = simd128Division(kLogicalDpi);
static_assert(kSimd128Division.factor == pixelDivision(19).scaledBy(2).factor);
constexpr int kSimd128MaxPixels = kSimd128Division.widestArea();
static_assert(kOffset * kSimd128Division.factor % (std::int64_t{1} << 32) == 0);
static_assert(kSimd128MaxPixels > 0 && kSimd128Division.exactBelow(pixelToTwips(kSimd128MaxPixels)));

// Addresses in a 32-bit WebAssembly memory, as vector lanes hold them.
inline std::uint32_t addressOf(const void* p) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p)); }

struct Choosing {
    v128_t count, last;
    // The table's address less what the bias's bits add (wrapping round, as
    // 32-bit addresses do), so the biased index shifted gives the entry's address.
    v128_t table;
};

// Four anchor choices, with the same float multiply, clamp and truncation as
// the plain loop: the addresses of their table entries.
inline v128_t chooseFour(const float* r, const Choosing& c) {
    // pmax(0, p) is 0 < p ? p : 0, and pmin(p, last) is last < p ? last : p,
    // exactly std::max(0.0f, p) and std::min(p, last): NaN gives 0.
    const v128_t p = wasm_f32x4_pmin(wasm_f32x4_pmax(wasm_f32x4_splat(0.0f), wasm_f32x4_mul(wasm_v128_load(r), c.count)), c.last);
    // Truncation is floor for p >= 0; last < 2^15 keeps the index within the mantissa.
    const v128_t biased = wasm_f32x4_add(wasm_f32x4_floor(p), wasm_f32x4_splat(kWholeBias));
    return wasm_i32x4_add(wasm_i32x4_shl(biased, 4), c.table);
}

// One pass (see above).
inline void passScalar(std::uint64_t& sx, std::uint64_t& sy, std::uint32_t entry) {
    const Entry& e = *reinterpret_cast<const Entry*>(static_cast<std::uintptr_t>(entry));
    sx = (sx >> 1) + e.ax + ((e.bx - sx) >> 63);
    sy = (sy >> 1) + e.ay + ((e.by - sy) >> 63);
}

// Hides from the compiler that a value is a comparison's mask: it would turn
// `and` with the mask into a choice between two vectors, which takes V8
// three instructions.
inline v128_t opaque(v128_t v) {
    __asm__("" : "+r"(v));
    return v;
}

// What marking needs, made once a walk, with the mask's address folded in.
struct Marking128 {
    v128_t factor;
    int shift;
    v128_t rowStep;      // 16-bit lanes 1, width, 1, width, ...
    v128_t bytes;        // the mask's address
    v128_t offset;       // kOffset
    v128_t lastTwip;     // width and height in twips less 1: x, y, x, y
    v128_t fromOffArea;  // the mask's address less that of the byte after the last pixel
    v128_t offArea;      // that byte's address
};

inline Marking128 marking128For(const DotMask& mask, AreaTwips area, const PixelDivision& division) {
    const auto lastX = static_cast<std::int32_t>(area.x - 1), lastY = static_cast<std::int32_t>(area.y - 1);
    return {wasm_u32x4_splat(static_cast<std::uint32_t>(division.factor)), division.shift,
            wasm_i32x4_splat(static_cast<std::int32_t>(1 + (static_cast<std::uint32_t>(mask.width) << 16))),
            wasm_u32x4_splat(addressOf(mask.bytes)),
            wasm_i32x4_splat(static_cast<std::int32_t>(kOffset)),
            wasm_i32x4_make(lastX, lastY, lastX, lastY),
            wasm_u32x4_splat(0u - static_cast<std::uint32_t>(mask.pixels())),
            wasm_u32x4_splat(addressOf(mask.bytes + mask.pixels()))};
}

inline void markAt(std::uint32_t address) { *reinterpret_cast<std::uint8_t*>(static_cast<std::uintptr_t>(address)) = 1; }

// Marks the four dots at[0..8), x and y in turn as the passes stored them,
// kept that way: the pixel's column and row, narrowed to 16 bits side by
// side, give row * width + column in one multiply-add of pairs
// (i32x4.dot_i16x8_s). `Checked` sends dots off the area to the byte after
// the last pixel; without it every dot must be on the area.
template <bool Checked>
inline void markFour(const std::uint32_t* at, const Marking128& m) {
    const v128_t p0 = wasm_v128_load(at), p1 = wasm_v128_load(at + 4);
    const v128_t pixel = wasm_i16x8_narrow_i32x4(wasm_u32x4_shr(wasm_i32x4_mul(p0, m.factor), m.shift),
                                                 wasm_u32x4_shr(wasm_i32x4_mul(p1, m.factor), m.shift));
    const v128_t index = wasm_i32x4_dot_i16x8(pixel, m.rowStep);
    v128_t mark;
    if constexpr (Checked) {
        // Unsigned x <= width - 1: a negative x wraps round to a large value.
        const v128_t t0 = wasm_i32x4_sub(p0, m.offset), t1 = wasm_i32x4_sub(p1, m.offset);
        const v128_t inside = wasm_i16x8_narrow_i32x4(wasm_i32x4_eq(wasm_u32x4_min(t0, m.lastTwip), t0),
                                                      wasm_i32x4_eq(wasm_u32x4_min(t1, m.lastTwip), t1));
        const v128_t both = opaque(wasm_i32x4_eq(inside, wasm_i32x4_splat(-1)));
        // The pixel's distance from the byte after the last, or 0 off the
        // area: an and and an add, where choosing between two addresses takes three.
        mark = wasm_i32x4_add(wasm_v128_and(wasm_i32x4_add(index, m.fromOffArea), both), m.offArea);
    } else {
        mark = wasm_i32x4_add(index, m.bytes);
    }
    // Two 64-bit lanes split in scalar registers: fewer instructions in V8
    // than four 32-bit lane extractions.
    const std::uint64_t low = wasm_u64x2_extract_lane(mark, 0), high = wasm_u64x2_extract_lane(mark, 1);
    markAt(static_cast<std::uint32_t>(low));
    markAt(static_cast<std::uint32_t>(low >> 32));
    markAt(static_cast<std::uint32_t>(high));
    markAt(static_cast<std::uint32_t>(high >> 32));
}

// Tricks 2 to 4 as for AVX2, with the chain above. The loops step pointers,
// so that V8 folds each fixed offset into its load or store instead of
// computing every address.
template <bool Checked>
void walkSimd128(WholePoint& at, const float* r, std::size_t n, const Run& run, const PixelDivision& division) {
    const std::size_t blocks = n / kSimd128Block;
    if (blocks > 0) {
        const Choosing choosing{wasm_f32x4_splat(run.count), wasm_f32x4_splat(run.last),
                                wasm_u32x4_splat(addressOf(run.table) - (kWholeBiasBits << 4))};
        const Marking128 marking = marking128For(run.mask, run.area, division);
        alignas(16) std::uint32_t entries[2][kSimd128Block];
        alignas(16) std::uint32_t dots[2][2 * kSimd128Block];  // a block's dots, marked during the next
        std::uint64_t sx = unshifted(at.x), sy = unshifted(at.y);
        for (std::size_t g = 0; g < kSimd128Block; g += 4)
            wasm_v128_store(&entries[0][g], chooseFour(r + g, choosing));
        for (std::size_t b = 0; b < blocks; ++b) {
            const std::uint32_t* entry = entries[b & 1];
            std::uint32_t* nextEntry = entries[(b & 1) ^ 1];
            std::uint32_t* dot = dots[b & 1];
            const std::uint32_t* lastDot = dots[(b & 1) ^ 1];
            const float* nextValue = r + (b + 1) * kSimd128Block;
            const bool choose = b + 1 < blocks, mark = b > 0;
            for (const std::uint32_t* end = entry + kSimd128Block; entry != end;
                 entry += 8, nextEntry += 8, dot += 16, lastDot += 16, nextValue += 8) {
                if (choose) {
                    wasm_v128_store(nextEntry, chooseFour(nextValue, choosing));
                    wasm_v128_store(nextEntry + 4, chooseFour(nextValue + 4, choosing));
                }
#pragma clang loop unroll(full)
                for (int k = 0; k < 8; ++k) {
                    passScalar(sx, sy, entry[k]);
                    // The dot, u = s >> 1 (which the next pass computes too).
                    dot[2 * k] = static_cast<std::uint32_t>(sx >> 1);
                    dot[2 * k + 1] = static_cast<std::uint32_t>(sy >> 1);
                }
                if (mark) {
                    markFour<Checked>(lastDot, marking);
                    markFour<Checked>(lastDot + 8, marking);
                }
            }
        }
        const std::uint32_t* lastDot = dots[(blocks - 1) & 1];
        for (std::size_t g = 0; g < kSimd128Block; g += 4)
            markFour<Checked>(lastDot + 2 * g, marking);
        at = {pointOf(sx), pointOf(sy)};
    }
    walkPortable(at, r + blocks * kSimd128Block, n - blocks * kSimd128Block, run);
}

#endif

} // namespace

DotKernel::DotKernel(const AnchorView& anchors)
    : anchors(anchors),
      count(static_cast<float>(anchors.count)),
      last(static_cast<float>(anchors.stored - 1)) {
    table.reserve(static_cast<std::size_t>(anchors.stored));
    lowest = {INT32_MAX, INT32_MAX};
    highest = {INT32_MIN, INT32_MIN};
    for (std::int32_t k = 0; k < anchors.stored; ++k) {
        const auto ax = static_cast<std::uint32_t>(anchors.xs[k] + kOffset);
        const auto ay = static_cast<std::uint32_t>(anchors.ys[k] + kOffset);
        table.push_back({ax, 2 * ax + 1, ay, 2 * ay + 1});
        lowest = {std::min<std::int32_t>(lowest.x, anchors.xs[k]), std::min<std::int32_t>(lowest.y, anchors.ys[k])};
        highest = {std::max<std::int32_t>(highest.x, anchors.xs[k]), std::max<std::int32_t>(highest.y, anchors.ys[k])};
    }
}

void DotKernel::walk(WholePoint& at, const float* r, std::size_t n, const DotMask& mask) const {
    const Run run{table.data(), anchors.xs, anchors.ys, count, last, mask, areaOf(mask)};
    // The vector ways divide by a multiply and shift made for the mask's
    // density, where that is exact on its whole area.
    [[maybe_unused]] const std::uint32_t widest = std::max(run.area.x, run.area.y);
#if CHAOS_AVX2_CODE
    if (mask.simd == Simd::Avx2) {
        const PixelDivision division = pixelDivision(kAvx2Shift, kTwipsPerInch, static_cast<std::uint64_t>(mask.dpi));
        if (division.exactBelow(widest))
            return walkAvx2(at, r, n, run, division.factor);
    }
#endif
#if CHAOS_SIMD128_CODE
    if (mask.simd == Simd::Simd128) {
        for (int shift = 19; shift >= 16; --shift) {
            const PixelDivision division = simd128Division(mask.dpi, shift);
            if (!division.exactBelow(widest))
                continue;
            // A pass moves toward its anchor and never past it, so every dot lies
            // between the point and the anchors, coordinate by coordinate: when
            // they all lie on the area, so does every dot, and none need be checked.
            if (onArea(at, run.area) && onArea(lowest, run.area) && onArea(highest, run.area))
                return walkSimd128<false>(at, r, n, run, division);
            return walkSimd128<true>(at, r, n, run, division);
        }
    }
#endif
    walkPortable(at, r, n, run);
}

} // namespace chaos
