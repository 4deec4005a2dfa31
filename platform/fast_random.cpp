#include "platform/fast_random.h"

#include <algorithm>
#include <chrono>
#include <iterator>

#if CHAOS_AVX2_CODE
#include <immintrin.h>
#endif
#if CHAOS_SIMD128_CODE
#include <wasm_simd128.h>
#endif

namespace chaos {

namespace {

std::uint64_t splitmix64(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

using State = std::uint32_t[4][FastRandom::kLanes];

void stepPortable(State& s, float* out) {
    for (int l = 0; l < FastRandom::kLanes; ++l) {
        out[l] = FastRandom::toUnit(s[0][l] + s[3][l]);
        const std::uint32_t t = s[1][l] << 9;
        s[2][l] ^= s[0][l];
        s[3][l] ^= s[1][l];
        s[1][l] ^= s[2][l];
        s[0][l] ^= s[3][l];
        s[2][l] ^= t;
        s[3][l] = (s[3][l] << 11) | (s[3][l] >> 21);
    }
}

#if CHAOS_AVX2_CODE
// One step of eight lanes, each state word in one register.
struct Eight {
    __m256i s0, s1, s2, s3;
};

CHAOS_AVX2 inline __m256 stepEight(Eight& e) {
    const __m256i top = _mm256_srli_epi32(_mm256_add_epi32(e.s0, e.s3), 8);
    const __m256i t = _mm256_slli_epi32(e.s1, 9);
    e.s2 = _mm256_xor_si256(e.s2, e.s0);
    e.s3 = _mm256_xor_si256(e.s3, e.s1);
    e.s1 = _mm256_xor_si256(e.s1, e.s2);
    e.s0 = _mm256_xor_si256(e.s0, e.s3);
    e.s2 = _mm256_xor_si256(e.s2, t);
    e.s3 = _mm256_or_si256(_mm256_slli_epi32(e.s3, 11), _mm256_srli_epi32(e.s3, 21));
    return _mm256_mul_ps(_mm256_cvtepi32_ps(top), _mm256_set1_ps(0x1.0p-24f));
}

CHAOS_AVX2 inline Eight loadEight(const State& s, int first) {
    auto word = [](const std::uint32_t* lanes) { return reinterpret_cast<const __m256i*>(lanes); };
    return {_mm256_load_si256(word(&s[0][first])), _mm256_load_si256(word(&s[1][first])),
            _mm256_load_si256(word(&s[2][first])), _mm256_load_si256(word(&s[3][first]))};
}

CHAOS_AVX2 inline void storeEight(State& s, int first, const Eight& e) {
    auto word = [](std::uint32_t* lanes) { return reinterpret_cast<__m256i*>(lanes); };
    _mm256_store_si256(word(&s[0][first]), e.s0);
    _mm256_store_si256(word(&s[1][first]), e.s1);
    _mm256_store_si256(word(&s[2][first]), e.s2);
    _mm256_store_si256(word(&s[3][first]), e.s3);
}

// The same steps, eight lanes to a register and two registers side by side:
// one step's operations depend on each other, so a second, independent set
// fills the time the first waits.
CHAOS_AVX2 void stepsAvx2(State& s, float* out, std::size_t steps) {
    static_assert(FastRandom::kLanes == 16);
    Eight low = loadEight(s, 0), high = loadEight(s, 8);
    for (std::size_t i = 0; i < steps; ++i, out += FastRandom::kLanes) {
        _mm256_storeu_ps(out, stepEight(low));
        _mm256_storeu_ps(out + 8, stepEight(high));
    }
    storeEight(s, 0, low);
    storeEight(s, 8, high);
}
#endif

#if CHAOS_SIMD128_CODE
// One step of four lanes, each state word in one register.
struct Four {
    v128_t s0, s1, s2, s3;
};

inline v128_t stepFour(Four& f) {
    const v128_t top = wasm_u32x4_shr(wasm_i32x4_add(f.s0, f.s3), 8);
    const v128_t t = wasm_i32x4_shl(f.s1, 9);
    f.s2 = wasm_v128_xor(f.s2, f.s0);
    f.s3 = wasm_v128_xor(f.s3, f.s1);
    f.s1 = wasm_v128_xor(f.s1, f.s2);
    f.s0 = wasm_v128_xor(f.s0, f.s3);
    f.s2 = wasm_v128_xor(f.s2, t);
    f.s3 = wasm_v128_or(wasm_i32x4_shl(f.s3, 11), wasm_u32x4_shr(f.s3, 21));
    return wasm_f32x4_mul(wasm_f32x4_convert_i32x4(top), wasm_f32x4_splat(0x1.0p-24f));
}

inline Four loadFour(const State& s, int first) {
    return {wasm_v128_load(&s[0][first]), wasm_v128_load(&s[1][first]), wasm_v128_load(&s[2][first]),
            wasm_v128_load(&s[3][first])};
}

inline void storeFour(State& s, int first, const Four& f) {
    wasm_v128_store(&s[0][first], f.s0);
    wasm_v128_store(&s[1][first], f.s1);
    wasm_v128_store(&s[2][first], f.s2);
    wasm_v128_store(&s[3][first], f.s3);
}

// Eight lanes at a time, four to a register and two registers side by side
// (as for AVX2); all sixteen at once would need more registers than V8 has
// to give, and it would keep state in memory.
void stepsSimd128(State& s, float* out, std::size_t steps) {
    static_assert(FastRandom::kLanes == 16);
    for (int first = 0; first < FastRandom::kLanes; first += 8) {
        Four low = loadFour(s, first), high = loadFour(s, first + 4);
        float* at = out + first;
        for (std::size_t i = 0; i < steps; ++i, at += FastRandom::kLanes) {
            wasm_v128_store(at, stepFour(low));
            wasm_v128_store(at + 4, stepFour(high));
        }
        storeFour(s, first, low);
        storeFour(s, first + 4, high);
    }
}
#endif

} // namespace

void FastRandom::seed(std::uint64_t seedValue) {
    seeded = seedValue;
    startBlock(0);
}

// Two splitmix64 outputs are never both zero (it is a bijection of distinct
// inputs), so no lane starts in the all-zero state; no two blocks share one.
void FastRandom::startBlock(std::uint64_t b) {
    std::uint64_t x = seeded.value_or(0) + b * (2 * kLanes) * 0x9E3779B97F4A7C15ull;
    for (int l = 0; l < kLanes; ++l)
        for (int w = 0; w < 4; w += 2) {
            const std::uint64_t bits = splitmix64(x);
            state[w][l] = static_cast<std::uint32_t>(bits);
            state[w + 1][l] = static_cast<std::uint32_t>(bits >> 32);
        }
    block = b;
    stepsLeft = kBlockValues / kLanes;
    used = kLanes;
}

void FastRandom::seek(std::uint64_t index) {
    startBlock(index / kBlockValues);
    alignas(32) float skipped[256];
    for (std::uint64_t left = index % kBlockValues; left > 0;) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(left, std::size(skipped)));
        fill(skipped, n);
        left -= n;
    }
}

void FastRandom::reseed() {
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    seed(static_cast<std::uint64_t>(now) ^ (++reseeds * 0xD1B54A32D192ED03ull));
}

void FastRandom::setState(std::uint32_t s0, std::uint32_t s1, std::uint32_t s2, std::uint32_t s3) {
    for (int l = 0; l < kLanes; ++l) {
        state[0][l] = s0;
        state[1][l] = s1;
        state[2][l] = s2;
        state[3][l] = s3;
    }
    seeded.reset();
    stepsLeft = kBlockValues / kLanes;
    used = kLanes;
}

void FastRandom::refill() {
    if (stepsLeft == 0)
        startBlock(block + 1);
    stepPortable(state, buffered);
    --stepsLeft;
    used = 0;
}

void FastRandom::fill(float* out, std::size_t n) {
    std::size_t i = 0;
    for (; i < n && used < kLanes; ++i)
        out[i] = buffered[used++];
    while (n - i >= kLanes) {
        if (stepsLeft == 0)
            startBlock(block + 1);
        const std::size_t steps = std::min<std::size_t>(stepsLeft, (n - i) / kLanes);
        [[maybe_unused]] bool done = false;
#if CHAOS_AVX2_CODE
        if (simd == Simd::Avx2) {
            stepsAvx2(state, out + i, steps);
            done = true;
        }
#endif
#if CHAOS_SIMD128_CODE
        if (simd == Simd::Simd128) {
            stepsSimd128(state, out + i, steps);
            done = true;
        }
#endif
        if (!done)
            for (std::size_t k = 0; k < steps; ++k)
                stepPortable(state, out + i + k * kLanes);
        stepsLeft -= steps;
        i += steps * kLanes;
    }
    for (; i < n; ++i)
        out[i] = next();
}

} // namespace chaos
