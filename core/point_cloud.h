#pragma once

// The core calls out only through the interfaces in platform/ and never
// includes a toolkit.

#include "core/anchor_store.h"
#include "core/dot_walk.h"
#include "core/segmented_draw.h"
#include "platform/input.h"
#include "platform/interfaces.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace chaos {

// The drawing surface's mouse handling: a left press places an anchor and
// marks it with a red circle; a right press draws the point cloud of the
// chaos game around the anchors and then forgets them.
//
// A right press only starts the draw: the caller runs it a few passes at a
// time with advance(), from its event loop, so that the window answers while
// a long draw runs.
class PointCloud {
public:
    static constexpr float kMarkerRadius = 75.0f;  // twips: 5 pixels
    static constexpr Color kMarkerColor = kRed;

    // Everything is owned by the window and outlives this handler; `sel` is
    // the count box, `dotColor` the colour of the dots.
    PointCloud(AnchorStore& anchors, Surface& box, RandomSource& random, const ControlText& sel,
               const Color& dotColor)
        : anchors(anchors), box(box), random(random), sel(sel), dotColor(dotColor) {}

    // One press over the surface: Button 1 left, 2 right, 4 middle; Shift
    // the modifier mask; X, Y in twips from the drawing area's top-left. A
    // right press starts the draw. While a draw runs, a press does nothing
    // (the surface is inert then).
    void press(std::int16_t Button, std::int16_t Shift, float X, float Y);
    // The same press with its whole draw at once, for a caller that may hold
    // the thread for it (tests, the fuzzer, the benchmark).
    void box_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y);
    // Lets long draws run on `workers` too (none: on this thread alone).
    // `segment`: the passes of each of a draw's segments, and every draw split
    // into segments, on however many workers; 0 for the draw's own choice
    // (segmentLength). The segments need the random source's sequenceSeed and
    // the surface's marked dots.
    void useWorkers(Workers* workers, std::uint64_t segment = 0) {
        this->workers = workers;
        segmentPasses = segment;
    }
    // The same with cores that share no memory: their answers reach the draw
    // from the event loop, between calls of advance(), and this thread only
    // merges them (it runs what they fail to).
    void useWorkers(Messengers* messengers, std::uint64_t segment = 0) {
        this->messengers = messengers;
        segmentPasses = segment;
    }
    // Whether the running draw waits on answers from the event loop, and
    // whether this thread has nothing to do until the next comes.
    bool awaitsAnswers() const { return run && run->split && run->split->awaitsAnswers(); }
    bool waitsForAnswers() const { return run && run->split && run->split->waitsForAnswers(); }
    // Whether a started draw has passes left and was not cancelled.
    bool drawing() const { return run.has_value(); }
    // Runs up to `passes` more passes of the running draw; after its last
    // pass the anchors are forgotten. Returns drawing().
    bool advance(std::uint64_t passes);
    // Stops the running draw where it is: the dots stay, so do the anchors.
    void cancel();
    // The running or last draw's passes done so far (all of whose dots are
    // drawn), and all of them.
    std::uint64_t done() const { return passesDone; }
    std::uint64_t total() const { return passesTotal; }

private:
    // A started draw: its point, moved in whole twips where it can be (by
    // the kernel when the surface takes marked dots), else in double precision.
    struct Run {
        bool whole;
        WholePoint at;
        double dx, dy;
        std::optional<DotKernel> fast;  // made at the first block the surface marks
        bool splitTried = false;
        std::unique_ptr<SegmentedDraw> split;  // the draw in segments, where it runs so
    };

    void placeAnchor(float x, float y);
    void startDraw();
    void runPasses(std::uint64_t passes);
    std::unique_ptr<SegmentedDraw> split(WholePoint start);

    AnchorStore& anchors;
    Surface& box;
    RandomSource& random;
    const ControlText& sel;
    const Color& dotColor;
    std::optional<Run> run;  // the running draw
    std::uint64_t passesDone = 0, passesTotal = 0;
    Workers* workers = nullptr;
    Messengers* messengers = nullptr;
    std::uint64_t segmentPasses = 0;
};

} // namespace chaos
