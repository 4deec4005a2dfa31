#pragma once

// The draw on several cores, with exactly the dots of the draw on one.
//
// Pass p takes value kStartValues + p of the draw's random sequence, which
// any core can have from any index (platform/fast_random.h). In whole twips
// the move halfway is monotone in the point and halves the spread, so two
// walks started at the corners of the box that holds the start point and
// every anchor hold every walk between them, coordinate by coordinate (each
// pass moves towards an anchor and never past it, so the point never leaves
// the box). From the pass after which they are one point, the draw's point
// is known without the passes before. So the draw is cut into segments: one
// starts after the pass where its two bounding walks, started at its nominal
// start, meet; the segment before it runs on up to that pass.
//
// Where they do not meet within kMeetWithin passes, the segment before runs
// on (the true point, at one core's speed). That is so for one anchor (and
// after a draw, when (0, 0) is the one) and for anchors a twip apart, where
// the bounding walks can stay a twip apart for ever; a draw that cannot meet
// is one segment. A start point that is not whole never comes here.
//
// Jobs and their masks are plain data: each segment marks its own mask (the
// DotKernel's bytes), handed back when done; the calling thread merges them
// into the picture's mask in pass order, so that what it holds is always the
// dots of a prefix of the passes.

#include "core/dot_walk.h"
#include "platform/fast_random.h"
#include "platform/interfaces.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace chaos {

// The values a draw takes before its first pass: r1 and r2, the start point.
inline constexpr std::uint64_t kStartValues = 2;
// The passes within which two bounding walks must meet for a segment to start.
inline constexpr std::uint64_t kMeetWithin = 1024;
// The fewest passes a draw is split for: on threads, and on messengers (the
// page's workers, each of whose requests costs a round trip through the
// page's event loop).
inline constexpr std::uint64_t kSplitFrom = 1 << 20;
inline constexpr std::uint64_t kSendFrom = 1 << 22;

// What every segment of one draw shares.
struct DrawSetup {
    std::uint64_t seed;  // of the FastRandom sequence
    std::vector<std::int16_t> xs, ys;  // every stored anchor
    std::int16_t count;  // the anchors chosen from
    WholePoint start;    // the point before pass 0, within kWalkReach
    std::uint64_t passes;
    DotMask mask;  // the masks' size, density and instructions (no bytes)

    AnchorView anchors() const { return {xs.data(), ys.data(), static_cast<std::int32_t>(xs.size()), count}; }
};

// Passes [first, end), from `from`: the point before pass `first` (the last
// segment may have none).
struct Segment {
    std::uint64_t first, end;
    WholePoint from;
};

// The segments of a draw, nominally `length` passes each (at least 1), in
// order. With `cores`, those near the end are shorter, down to a `part` of
// that, so that the cores end together: a segment nominally runs for the
// passes left over twice the cores, within those bounds.
std::vector<Segment> planSegments(const DrawSetup& setup, std::uint64_t length, std::uint64_t cores = 0,
                                  std::uint64_t part = 8);

// Makes `n` passes from `at`, marking `mask`, with the next values of
// `values` (the draw's sequence at the first of them).
void walkPasses(const DotKernel& kernel, WholePoint& at, std::uint64_t n, const DotMask& mask, FastRandom& values);

// The passes of each segment of a draw of `passes` on `cores` cores (the
// calling thread and the workers) whose masks have `pixels` pixels, or 0
// where the draw is better left whole on the calling thread: short draws,
// and any with no worker. Segments as long as give each core eight, at most
// a few milliseconds' passes, and longer than the mask a segment's merge
// goes through; planSegments shortens those near the end.
// With `messengers`, from kSendFrom passes, in segments of at least a quarter
// of that (and near the end, of at least half the length): a request and its
// answer cost far more than a segment's start on a thread.
std::uint64_t segmentLength(std::uint64_t passes, std::uint64_t cores, std::size_t pixels, bool messengers = false);

// Marks in `into` every byte marked in `from`, and clears `from`.
void mergeMarks(std::uint8_t* into, std::uint8_t* from, std::size_t bytes);

// A segment as bytes, for a core that shares no memory with the caller.
std::vector<std::uint8_t> segmentRequest(const DrawSetup& setup, const Segment& segment);
// Such a core's part: marks `mask` (made the size of the setup's mask plus
// its byte for dots off the area, and cleared first) with the segment's dots.
// False, and the mask untouched, for bytes that are not a request.
bool answerSegment(const std::uint8_t* request, std::size_t bytes, std::vector<std::uint8_t>& mask);

// A draw's segments, run by the calling thread and by the workers or the
// messengers it is given. Only the calling thread calls it; the workers' jobs
// hold what they share with it, and end soon once it is stopped or gone.
// Messengers are sent two requests each, and another at each answer, which
// reaches this thread between its slices; this thread then only merges, so
// that it answers the user at once. A request whose messenger failed is run
// here, and the draw sends no more; a draw that is one segment runs here.
class SegmentedDraw {
public:
    // `length` and `cores` as planSegments takes them; `workers` not null.
    SegmentedDraw(DrawSetup setup, std::uint64_t length, std::uint64_t cores, Workers* workers);
    SegmentedDraw(DrawSetup setup, std::uint64_t length, std::uint64_t cores, Messengers* messengers);
    ~SegmentedDraw();
    SegmentedDraw(const SegmentedDraw&) = delete;
    SegmentedDraw& operator=(const SegmentedDraw&) = delete;

    // Merges the finished segments that follow those merged into `mask`,
    // makes up to `passes` passes of a segment on this thread, and merges
    // again. Returns the passes all of whose dots the mask holds (those of
    // this thread's segment so far, where it is the next to merge).
    std::uint64_t advance(std::uint64_t passes, const DotMask& mask);
    // Stops every segment and merges all it can in pass order, this thread's
    // part-done segment too. Returns the passes whose dots the mask holds.
    std::uint64_t stop(const DotMask& mask);
    // Whether messengers hold requests, whose answers come from the event loop.
    bool awaitsAnswers() const;
    // Whether this thread has nothing to run until one of them answers.
    bool waitsForAnswers() const;

    struct Shared;

private:
    std::uint64_t merge(const DotMask& mask);

    std::shared_ptr<Shared> shared;
    struct Mine {
        std::size_t job;
        WholePoint at;
        std::uint64_t done;
        bool direct;  // marking the picture's mask: its segment is the next to merge
        FastRandom values;
    };
    std::optional<Mine> mine;  // the segment this thread runs, a slice at a time
    std::size_t merged = 0;    // segments merged, in order
    bool firstSent = false;    // the first requests have gone to the messengers
};

} // namespace chaos
