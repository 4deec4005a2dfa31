#pragma once

#include "platform/interfaces.h"

#include <cstdint>

namespace chaos {

// xoshiro256+ (Blackman and Vigna): four 64-bit words of state, a few
// instructions an output. Each output gives two values, from its bits 40-63
// and then its bits 16-39 (the generator's weak bits are the lowest few), so
// every value is a multiple of 2^-24 in [0, 1 - 2^-24].
class FastRandom final : public RandomSource {
public:
    explicit FastRandom(std::uint64_t seedValue = 0x853C49E6748FEA9Bull) { seed(seedValue); }

    // A fixed sequence for a given seed (the state is spread by splitmix64).
    void seed(std::uint64_t seedValue);
    // Seeds from the clock, mixed with a count of reseeds, so that two draws
    // started within the clock's resolution still differ.
    void reseed() override;
    float next() override {
        if (hasSpare) {
            hasSpare = false;
            return spare;
        }
        const std::uint64_t bits = step();
        spare = lowerValue(bits);
        hasSpare = true;
        return toUnit(bits);
    }
    void fill(float* out, std::size_t n) override;

    std::uint64_t step() {
        const std::uint64_t result = state[0] + state[3];
        const std::uint64_t t = state[1] << 17;
        state[2] ^= state[0];
        state[3] ^= state[1];
        state[1] ^= state[2];
        state[0] ^= state[3];
        state[2] ^= t;
        state[3] = (state[3] << 45) | (state[3] >> 19);
        return result;
    }
    static float toUnit(std::uint64_t bits) {
        return static_cast<float>(static_cast<std::uint32_t>(bits >> 40)) * 0x1.0p-24f;
    }
    static float lowerValue(std::uint64_t bits) {
        return static_cast<float>(static_cast<std::uint32_t>(bits >> 16) & 0xFFFFFFu) * 0x1.0p-24f;
    }

    // The raw state, for tests against the published algorithm.
    void setState(std::uint64_t s0, std::uint64_t s1, std::uint64_t s2, std::uint64_t s3) {
        state[0] = s0; state[1] = s1; state[2] = s2; state[3] = s3;
        hasSpare = false;
    }

private:
    std::uint64_t state[4] = {};
    std::uint64_t reseeds = 0;
    float spare = 0;  // the second value of the last output, when not yet taken
    bool hasSpare = false;
};

} // namespace chaos
