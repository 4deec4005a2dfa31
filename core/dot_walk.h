#pragma once

// The draw's passes: the anchor choice and the move halfway, one function
// each for every path that makes a pass at a time, and the fast ways that
// make many passes at once into a surface's mask of dots.

#include "platform/interfaces.h"
#include "platform/simd.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace chaos {

// A point of a draw, in whole twips.
struct WholePoint {
    std::int32_t x, y;
};

// The anchors a draw moves towards, as they are stored: anchor k (from 0)
// is (xs[k], ys[k]) for k < stored, chosen among the first `count`.
struct AnchorView {
    const std::int16_t* xs;
    const std::int16_t* ys;
    std::int32_t stored;
    std::int16_t count;
};

// The anchor (from 0) that a random value r chooses among `count` anchors:
// floor(r * count), kept within 0..last (the last stored anchor) whatever r
// is; a value that is not a number gives 0. Clamped without branches: the
// choice is random, so a branch would be mispredicted often.
inline std::size_t chooseAnchor(float r, float count, float last) {
    return static_cast<std::size_t>(std::min(std::max(0.0f, r * count), last));
}

// One step halfway from c towards the anchor coordinate a, in whole units:
// the difference is rounded to the nearest integer (halves to even), halved,
// and the quotient cut toward zero (7 -> 3, -7 -> -3, 1 -> 0). Whole points
// move in 32-bit integers, which it never leaves within kWalkReach. For them,
// c + (a - c) / 2 is the midpoint rounded toward c, (c + a + (a < c)) >> 1:
// the sum and the comparison run side by side, where the quotient takes five
// dependent operations, and each pass waits for the last.
template <class Coord>
inline Coord halfway(Coord c, std::int32_t a) {
    if constexpr (std::is_integral_v<Coord>)
        return (c + a + (a < c)) >> 1;
    else
        return c + static_cast<Coord>(std::llrint(a - c) / 2);
}

// The farthest a fast walk's point may lie from the origin, in twips per axis.
inline constexpr std::int32_t kWalkReach = 1 << 30;

// The passes of one draw over a fixed set of anchors, marking each dot in a
// surface's mask: pass i moves halfway, in whole twips, towards the anchor
// that r[i] chooses and marks the byte of the pixel it lands on.
class DotKernel {
public:
    explicit DotKernel(const AnchorView& anchors);

    // Makes n passes from `at` (within kWalkReach), in the mask's instructions;
    // leaves `at` at the last dot.
    void walk(WholePoint& at, const float* r, std::size_t n, const DotMask& mask) const;

    // An anchor, offset by kOffset, with b = 2a + 1 kept beside it (why: dot_walk.cpp).
    struct Entry {
        std::uint32_t ax, bx, ay, by;
    };

private:
    AnchorView anchors;
    std::vector<Entry> table;
    WholePoint lowest, highest;  // the corners of the box around the anchors a choice may give
    float count;  // anchors chosen from
    float last;   // the highest index a choice may give
};

} // namespace chaos
