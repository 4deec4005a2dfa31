#pragma once

#include "platform/interfaces.h"
#include "platform/simd.h"

#include <cstdint>
#include <optional>

namespace chaos {

// The sequence comes in blocks of kBlockValues values, so that the values
// from any index can be had without those before (a draw's passes run on
// several cores from anywhere in it). Block b is drawn by sixteen xoshiro128+
// generators (Blackman and Vigna) taken in turn: value i of the block comes
// from lane i % 16. Sixteen, so that one step of all of them fills two AVX2
// registers that step side by side. A value is the top 24 bits of a lane's
// 32-bit output (the generator's weak bits are the lowest few) times 2^-24: a
// multiple of 2^-24 in [0, 1 - 2^-24].
class FastRandom final : public RandomSource {
public:
    static constexpr int kLanes = 16;
    static constexpr std::uint64_t kBlockValues = 4096;

    explicit FastRandom(std::uint64_t seedValue = 0x853C49E6748FEA9Bull) { seed(seedValue); }

    // A fixed sequence for a given seed: in block b, lane l's four state
    // words are the splitmix64 outputs 32b + 2l and 32b + 2l + 1 from the
    // seed, each split low half first.
    void seed(std::uint64_t seedValue);
    // The next value is value `index` of the sequence (from 0).
    void seek(std::uint64_t index);
    std::optional<std::uint64_t> sequenceSeed() const override { return seeded; }
    // Seeds from the clock, mixed with a count of reseeds, so that two draws
    // started within the clock's resolution still differ.
    void reseed() override;
    float next() override {
        if (used == kLanes)
            refill();
        return buffered[used++];
    }
    void fill(float* out, std::size_t n) override;

    static float toUnit(std::uint32_t output) { return static_cast<float>(output >> 8) * 0x1.0p-24f; }

    // The raw state of every lane, for tests against the published algorithm
    // (until the block ends).
    void setState(std::uint32_t s0, std::uint32_t s1, std::uint32_t s2, std::uint32_t s3);
    // Which code fills blocks of values; every choice gives the same values.
    void useSimd(Simd choice) { simd = choice; }

private:
    void startBlock(std::uint64_t b);
    void refill();  // the next kLanes values into `buffered`

    alignas(32) std::uint32_t state[4][kLanes] = {};
    std::optional<std::uint64_t> seeded;  // none after setState
    std::uint64_t block = 0;
    std::uint64_t stepsLeft = 0;  // in the block
    alignas(32) float buffered[kLanes] = {};
    int used = kLanes;  // values of `buffered` already taken
    std::uint64_t reseeds = 0;
    Simd simd = bestSimd();
};

} // namespace chaos
