#pragma once

// The services the program's logic calls. The core includes only these
// headers and never a toolkit; the runtimes put real implementations behind
// them, and the tests put recording fakes.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace chaos {

// A colour laid out 0x00BBGGRR: red in the low byte; the top byte is unused.
using Color = std::uint32_t;

inline constexpr Color kRed = 0x0000FF;

// A point of a draw, in whole twips.
struct WholePoint {
    std::int32_t x, y;
};

// The anchors a draw moves towards, as they are stored: anchor k (from 0)
// is (xs[k], ys[k]) for k < stored. A random value r chooses anchor
// floor(r * count), kept within 0..stored - 1.
struct AnchorView {
    const std::int16_t* xs;
    const std::int16_t* ys;
    std::int32_t stored;
    std::int16_t count;
};

// Many passes of a draw at once, straight into a surface's pixels, setting
// exactly the pixels that one PSet per pass would set.
class DotWalk {
public:
    // The farthest a walk's point may lie from the origin, in twips per axis.
    static constexpr std::int32_t kReach = 1 << 30;

    virtual ~DotWalk() = default;
    // Makes n passes from `at` (within kReach): pass i moves halfway, in
    // whole twips, towards the anchor that r[i] chooses and plots a dot there
    // in `color`. Leaves `at` at the last dot.
    virtual void walk(WholePoint& at, const float* r, std::size_t n, Color color) = 0;
};

// The drawing surface. Positions are twips from the drawing area's top-left,
// x to the right and y downwards.
class Surface {
public:
    virtual ~Surface() = default;
    // Outline of a whole, round circle, one pixel wide, not filled.
    virtual void Circle(float x, float y, float radius, Color color) = 0;
    // Sets the one pixel that holds (x, y).
    virtual void PSet(float x, float y, Color color) = 0;
    // Clears the surface to its background.
    virtual void Cls() = 0;
    // The surface's outer rectangle within the window's client area, in twips.
    virtual float Left() const = 0;
    virtual float Top() const = 0;
    virtual float Width() const = 0;
    virtual float Height() const = 0;
    // A fast way to run a draw's passes over these anchors, which stay
    // unchanged while it lives; nullptr where every dot must go through PSet.
    virtual std::unique_ptr<DotWalk> startWalk(const AnchorView& /*anchors*/) { return nullptr; }
};

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Starts a new sequence from a seed that differs from call to call.
    virtual void reseed() = 0;
    // The next value r, 0 <= r < 1.
    virtual float next() = 0;
    // The next n values, in order; the same as n calls of next().
    virtual void fill(float* out, std::size_t n) = 0;
};

// The text a control shows: the count box, the chosen colour item.
class ControlText {
public:
    virtual ~ControlText() = default;
    virtual std::string Text() const = 0;
};

enum class MessageKind { Information, Error };

// A modal message with OK. It returns at once; a window's runtime then tells
// it when the user dismissed it (WindowEvents::dialogClosed, in platform/host.h).
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void show(const std::string& text, MessageKind kind) = 0;
};

// Ends the program at once with exit status 0; no further event is handled.
class ProgramEnd {
public:
    virtual ~ProgramEnd() = default;
    virtual void end() = 0;
};

} // namespace chaos
