#include "platform/fast_random.h"

#include <chrono>

namespace chaos {

namespace {
std::uint64_t splitmix64(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}
} // namespace

void FastRandom::seed(std::uint64_t seedValue) {
    for (auto& word : state)
        word = splitmix64(seedValue);  // never all zero: splitmix64 is a bijection of distinct inputs
    hasSpare = false;
}

void FastRandom::reseed() {
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    seed(static_cast<std::uint64_t>(now) ^ (++reseeds * 0xD1B54A32D192ED03ull));
}

void FastRandom::fill(float* out, std::size_t n) {
    std::size_t i = 0;
    if (hasSpare && n > 0) {
        out[i++] = spare;
        hasSpare = false;
    }
    for (; i + 1 < n; i += 2) {
        const std::uint64_t bits = step();
        out[i] = toUnit(bits);
        out[i + 1] = lowerValue(bits);
    }
    if (i < n)
        out[i] = next();
}

} // namespace chaos
