#pragma once

#include "platform/interfaces.h"
#include "platform/simd.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace chaos {

// Where a walk marks its dots: one byte a pixel, row by row, plus one byte
// after the last pixel for dots that fall off the area.
struct DotMask {
    std::uint8_t* bytes;
    int width, height;  // pixels

    std::size_t pixels() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(height); }
};

// The passes of one draw over a fixed set of anchors, marking each dot in a
// mask (see DotWalk::walk for what a pass is).
class DotKernel {
public:
    DotKernel(const AnchorView& anchors, DotMask mask, Simd simd);

    void walk(WholePoint& at, const float* r, std::size_t n) const;

    // An anchor, offset by kOffset, with b = 2a + 1 kept beside it (why: dot_walk.cpp).
    struct Entry {
        std::uint32_t ax, bx, ay, by;
    };

private:
    std::vector<Entry> table;
    WholePoint lowest, highest;  // the corners of the box around the anchors a choice may give
    float count;  // anchors chosen from
    float last;   // the highest index a choice may give
    DotMask mask;
    Simd simd;
};

// Paints `pixel` into image[i] for every marked byte mask[i], i < pixels, and
// clears those marks.
void paintMarkedDots(std::uint8_t* mask, std::uint32_t* image, std::size_t pixels, std::uint32_t pixel, Simd simd);

} // namespace chaos
