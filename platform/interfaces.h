#pragma once

// The services the program's logic calls. The core includes only these
// headers and never a toolkit; the runtimes put real implementations behind
// them, and the tests put recording fakes.

#include "platform/simd.h"
#include "platform/twips.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace chaos {

// A colour laid out 0x00BBGGRR: red in the low byte; the top byte is unused.
using Color = std::uint32_t;

inline constexpr Color kRed = 0x0000FF;

// Where a draw may mark its dots in bulk: one byte a pixel, row by row, plus
// one byte after the last pixel for dots that fall off the area; and which
// instructions may be used to mark it.
struct DotMask {
    std::uint8_t* bytes = nullptr;
    int width = 0, height = 0;  // pixels
    Simd simd = Simd::Portable;
    int dpi = kLogicalDpi;  // pixels to the inch, 96 to 384: pixel floor(x * dpi / 1440) holds x twips

    std::size_t pixels() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(height); }
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
    // The mask in which the next dots of `color` may be marked, set to 1 each;
    // the surface paints them in that colour before anything reads or draws
    // on it, so that every dot lands as one PSet would set it. The bytes stay
    // in place while the surface lives. No bytes where every dot must go
    // through PSet.
    virtual DotMask markDots(Color /*color*/) { return {}; }
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
    // Where the values since the last reseed are FastRandom's sequence of a
    // seed (platform/fast_random.h), that seed: then any of them can be had
    // without the others, and a draw may run on several cores.
    virtual std::optional<std::uint64_t> sequenceSeed() const { return std::nullopt; }
};

// Threads on the machine's other cores, for work that touches no toolkit and
// nothing of the caller's but what it was handed. A runtime that has none
// (the page) offers none, and everything runs on the calling thread.
class Workers {
public:
    virtual ~Workers() = default;
    // How many run work side by side (besides the calling thread).
    virtual int count() const = 0;
    // Runs `work` on one of them, soon; it never blocks the caller.
    virtual void run(std::function<void()> work) = 0;
};

// Cores that share no memory with the calling thread: the page's workers,
// each with its own copy of the program. A request's bytes go to one of them,
// whose copy answers with bytes (core/segmented_draw.h: answerSegment);
// `answered` gets them on the calling thread, from its event loop, or gets
// none where that worker failed. Requests wait while every worker is busy.
class Messengers {
public:
    virtual ~Messengers() = default;
    // How many work side by side (besides the calling thread).
    virtual int count() const = 0;
    virtual void send(std::vector<std::uint8_t> request,
                      std::function<void(const std::uint8_t* answer, std::size_t bytes)> answered) = 0;
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
