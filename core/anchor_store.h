#pragma once

// The core calls out only through the interfaces in platform/ and never
// includes a toolkit.

#include <cstdint>
#include <vector>

namespace chaos {

// Rounds a coordinate to the nearest 16-bit integer, halves to the even
// neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). Throws an overflow error when
// the result is outside -32768..32767 or the value is not a number.
std::int16_t roundToInt16(double value);

// The anchor points placed since the last draw, in twips, numbered from 1.
// Three shapes: never used (count 0, nothing stored, so anchor 1 does not
// exist); collecting (count n, anchors 1..n); after a draw (count 0, and a
// single anchor 1 at (0, 0)).
class AnchorStore {
public:
    static constexpr std::int16_t kMaxAnchors = 32767;

    // Adds an anchor at (0, 0), to be set by setLast; at kMaxAnchors throws
    // an overflow error and changes nothing.
    void grow();
    // Sets the newest anchor, x first, then y, each rounded by roundToInt16;
    // a coordinate that overflows is not written.
    void setLast(float x, float y);
    // Forgets every anchor: the store holds one anchor (0, 0) and counts 0.
    void reset();

    std::int16_t count() const { return anchorCount; }
    // Anchor k's coordinates; throws a subscript error unless 1 <= k <= stored().
    std::int16_t x(std::int32_t k) const { return at(anchorX, k); }
    std::int16_t y(std::int32_t k) const { return at(anchorY, k); }
    // How many anchors can be looked up: count(), or 1 after a draw, or 0
    // when the store was never used.
    std::int32_t stored() const { return static_cast<std::int32_t>(anchorX.size()); }
    // Anchor k is xs()[k - 1], ys()[k - 1], for 1 <= k <= stored().
    const std::int16_t* xs() const { return anchorX.data(); }
    const std::int16_t* ys() const { return anchorY.data(); }

private:
    static std::int16_t at(const std::vector<std::int16_t>& values, std::int32_t k);

    std::int16_t anchorCount = 0;
    std::vector<std::int16_t> anchorX;
    std::vector<std::int16_t> anchorY;
};

} // namespace chaos
