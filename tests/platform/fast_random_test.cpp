#include "platform/fast_random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace chaos {
namespace {

// Worked out from the published reference code: xoshiro128+ outputs for the
// state {1, 2, 3, 4}, and splitmix64 from the seed 1234567 (whose first
// outputs are 6457827717110365317 and 3203168211198807973) spread into the
// lanes. A value is an output's top 24 bits.
TEST(FastRandom, FollowsTheReferenceAlgorithms) {
    const std::uint32_t outputs[] = {5, 12295, 25178119, 27286542, 39879690,
                                     1140358681, 3276312097, 4110231701, 399823256, 2144435200};
    for (Simd simd : simdHere()) {
        FastRandom r;
        r.useSimd(simd);
        r.setState(1, 2, 3, 4);  // in every lane
        std::vector<float> values(std::size(outputs) * FastRandom::kLanes);
        r.fill(values.data(), values.size());
        for (std::size_t i = 0; i < values.size(); ++i)
            ASSERT_EQ(values[i] * 0x1.0p24f, static_cast<float>(outputs[i / FastRandom::kLanes] >> 8)) << i;
    }
    FastRandom seeded(1234567);
    const float firstOfEachLane[] = {2587885, 14922099, 7674588, 5625500, 5899908, 6447074, 13494224, 12718201};
    for (float top : firstOfEachLane)
        EXPECT_EQ(seeded.next() * 0x1.0p24f, top);
}

TEST(FastRandom, ValuesAreMultiplesOfTwoToTheMinus24InTheUnitInterval) {
    EXPECT_EQ(FastRandom::toUnit(0), 0.0f);
    EXPECT_EQ(FastRandom::toUnit(~0u), std::nextafter(1.0f, 0.0f));
    EXPECT_EQ(FastRandom::toUnit(1u << 31), 0.5f);
    EXPECT_EQ(FastRandom::toUnit(0xFFu), 0.0f);
    FastRandom r(7);
    for (int i = 0; i < 100000; ++i) {
        const float v = r.next();
        ASSERT_GE(v, 0.0f);
        ASSERT_LT(v, 1.0f);
        ASSERT_EQ(v * 16777216.0f, std::floor(v * 16777216.0f));
    }
}

TEST(FastRandom, SameSeedSameSequenceAndFillMatchesNext) {
    FastRandom a(42), b(42), c(43);
    std::vector<float> filled(1000);
    b.fill(filled.data(), filled.size());
    int sameAsOtherSeed = 0;
    for (float v : filled) {
        EXPECT_EQ(a.next(), v);
        sameAsOtherSeed += c.next() == v;
    }
    EXPECT_LT(sameAsOtherSeed, 5);
}

// Values come sixteen at a time, one from each lane; however next() and fill()
// are mixed, and whichever code fills, they come in the same order.
TEST(FastRandom, MixingNextAndFillKeepsTheOrder) {
    FastRandom plain(5);
    std::vector<float> expected(64);
    for (float& v : expected)
        v = plain.next();
    for (Simd simd : simdHere()) {
        FastRandom mixed(5);
        mixed.useSimd(simd);
        std::vector<float> got;
        const std::size_t blocks[] = {1, 3, 2, 7, 1, 1, 10, 5, 0, 34};
        for (std::size_t i = 0; i < std::size(blocks); ++i) {
            if (i % 2 == 0) {
                for (std::size_t j = 0; j < blocks[i]; ++j)
                    got.push_back(mixed.next());
            } else {
                std::vector<float> part(blocks[i]);
                mixed.fill(part.data(), part.size());
                got.insert(got.end(), part.begin(), part.end());
            }
        }
        EXPECT_EQ(got, expected);
    }
}

// From any index, the values are those of the sequence from its start,
// across the ends of its blocks; a block is seeded from the seed and its number.
TEST(FastRandom, SeekGivesTheSequenceFromAnyIndex) {
    constexpr std::uint64_t kBlock = FastRandom::kBlockValues;
    FastRandom whole(9);
    std::vector<float> expected(3 * kBlock + 100);
    for (float& v : expected)
        v = whole.next();
    for (Simd simd : simdHere())
        for (std::uint64_t index : std::initializer_list<std::uint64_t>{0, 1, 15, 16, kBlock - 1, kBlock, kBlock + 17, 2 * kBlock - 3, 3 * kBlock}) {
            FastRandom r(9);
            r.useSimd(simd);
            r.seek(index);
            std::vector<float> got(5), filled(90);
            for (float& v : got)
                v = r.next();
            r.fill(filled.data(), filled.size());
            got.insert(got.end(), filled.begin(), filled.end());
            EXPECT_TRUE(std::equal(got.begin(), got.end(), expected.begin() + static_cast<std::ptrdiff_t>(index)))
                << index << " " << simdName(simd);
        }
    EXPECT_FALSE(std::equal(expected.begin(), expected.begin() + 16, expected.begin() + kBlock));  // a block of its own
    EXPECT_EQ(whole.sequenceSeed(), 9u);
    whole.setState(1, 2, 3, 4);
    EXPECT_FALSE(whole.sequenceSeed());
}

TEST(FastRandom, ReseedGivesADifferentSequenceEachTime) {
    FastRandom r(1);
    std::vector<std::vector<float>> starts;
    for (int i = 0; i < 20; ++i) {
        r.reseed();
        starts.push_back({r.next(), r.next(), r.next(), r.next()});
    }
    for (std::size_t i = 0; i < starts.size(); ++i)
        for (std::size_t j = i + 1; j < starts.size(); ++j)
            EXPECT_NE(starts[i], starts[j]) << i << " " << j;
}

// Chi-square over 64 equal buckets of a million values; with 63 degrees of
// freedom, 110 is beyond the 99.99th percentile.
TEST(FastRandom, IsUniformOverTheUnitInterval) {
    for (std::uint64_t seed : {1ull, 2ull, 12345ull}) {
        FastRandom r(seed);
        std::array<int, 64> buckets{};
        constexpr int kValues = 1'000'000;
        for (int i = 0; i < kValues; ++i)
            ++buckets[static_cast<std::size_t>(r.next() * 64)];
        double chi = 0;
        const double expected = kValues / 64.0;
        for (int n : buckets)
            chi += (n - expected) * (n - expected) / expected;
        EXPECT_LT(chi, 110.0) << "seed " << seed;
    }
}

// Successive pairs fall evenly into an 8 x 8 grid: no strong correlation
// between one value and the next.
TEST(FastRandom, SuccessivePairsAreUniform) {
    FastRandom r(99);
    std::array<int, 64> cells{};
    constexpr int kPairs = 500'000;
    for (int i = 0; i < kPairs; ++i) {
        const auto a = static_cast<std::size_t>(r.next() * 8);
        const auto b = static_cast<std::size_t>(r.next() * 8);
        ++cells[a * 8 + b];
    }
    double chi = 0;
    const double expected = kPairs / 64.0;
    for (int n : cells)
        chi += (n - expected) * (n - expected) / expected;
    EXPECT_LT(chi, 110.0);
}

// Each instruction set the fast paths choose from has the name the benchmark prints.
TEST(Simd, EachChoiceHasItsName) {
    EXPECT_STREQ(simdName(Simd::Portable), "portable");
    EXPECT_STREQ(simdName(Simd::Avx2), "AVX2");
    EXPECT_STREQ(simdName(Simd::Simd128), "SIMD128");
    EXPECT_EQ(simdHere().front(), Simd::Portable);
    EXPECT_EQ(bestSimd(), simdHere().back());
}

} // namespace
} // namespace chaos
