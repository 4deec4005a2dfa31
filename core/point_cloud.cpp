#include "core/point_cloud.h"

#include "core/count_text.h"
#include "platform/errors.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

namespace chaos {

namespace {

// Random values are drawn this many dots at a time.
constexpr std::size_t kChunk = 8192;

// Start points within this distance of the origin move in 32-bit integers;
// the halfway steps then never leave that range.
constexpr float kIntegerReach = kWalkReach;
// Beyond this, halving the distance to an anchor in whole units overflows.
constexpr float kReach = 2147483648.0f;

// The passes over one block of random values, one PSet a dot: choose an
// anchor, step halfway towards it, plot. This is the draw wherever the
// surface takes no marked dots or the point is not whole.
template <class Coord, class Plot>
void walk(Coord& cx, Coord& cy, const float* r, std::size_t n, const AnchorStore& anchors, Plot&& plot) {
    const float count = static_cast<float>(anchors.count());
    const float last = static_cast<float>(anchors.stored() - 1);
    const std::int16_t* xs = anchors.xs();
    const std::int16_t* ys = anchors.ys();
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t k = chooseAnchor(r[i], count, last);
        cx = halfway(cx, xs[k]);
        cy = halfway(cy, ys[k]);
        plot(cx, cy);
    }
}

void requireFinite(float value) {
    if (!std::isfinite(value))
        throw ProgramError(ErrorKind::FloatingPoint, Problem::AreaNotFinite);
}

} // namespace

void PointCloud::box_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    if (drawing())
        return;  // inert while a draw runs, as press is
    // Held here, the draw would hear no messenger's answer: it leaves them out.
    struct Restore {
        Messengers*& to;
        Messengers* value;
        ~Restore() { to = value; }
    } restore{messengers, std::exchange(messengers, nullptr)};
    press(Button, Shift, X, Y);
    while (advance(kChunk)) {
    }
}

void PointCloud::press(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    if (drawing())
        return;
    if (Button == kLeftButton && Shift != kShift)
        placeAnchor(X, Y);
    if (Button == kRightButton)
        startDraw();
}

void PointCloud::placeAnchor(float x, float y) {
    anchors.grow();
    box.Circle(x, y, kMarkerRadius, kMarkerColor);
    anchors.setLast(x, y);
}

void PointCloud::startDraw() {
    random.reseed();
    const float width = box.Width();
    const float left = box.Left();
    const float startX = std::floor(random.next() * width) + left;
    requireFinite(startX);
    const float height = box.Height();
    const float top = box.Top();
    const float startY = std::floor(random.next() * height) + top;
    requireFinite(startY);

    const std::uint32_t passes = dotCount(sel.Text());
    passesDone = 0;
    passesTotal = passes;
    // A store that was never used has no anchor to move to: such a draw
    // plots nothing.
    if (passes == 0 || anchors.stored() == 0) {
        anchors.reset();
        return;
    }
    if (!(std::fabs(startX) < kReach && std::fabs(startY) < kReach))
        throw ProgramError(ErrorKind::Overflow, Problem::StartTooFar);
    const bool whole = startX == std::trunc(startX) && startY == std::trunc(startY) &&
                       std::fabs(startX) <= kIntegerReach && std::fabs(startY) <= kIntegerReach;
    run.emplace(Run{whole, {static_cast<std::int32_t>(startX), static_cast<std::int32_t>(startY)}, startX, startY, {}, false, {}});
}

bool PointCloud::advance(std::uint64_t passes) {
    if (!drawing())
        return false;
    runPasses(passes);
    if (passesDone == passesTotal) {
        run.reset();
        anchors.reset();
    }
    return drawing();
}

void PointCloud::cancel() {
    if (run && run->split)
        passesDone = run->split->stop(box.markDots(dotColor));
    run.reset();
}

// The draw in segments, where there are workers, the values can be had from
// any pass, the surface marks dots and the draw is worth it.
std::unique_ptr<SegmentedDraw> PointCloud::split(WholePoint start) {
    const std::optional<std::uint64_t> seed = random.sequenceSeed();
    if (!(workers || messengers) || !seed)
        return nullptr;
    DotMask mask = box.markDots(dotColor);
    // The calling thread walks beside workers; beside messengers it only merges.
    const std::uint64_t cores = static_cast<std::uint64_t>(workers ? workers->count() + 1 : messengers->count());
    const std::uint64_t length = segmentPasses ? segmentPasses : segmentLength(passesTotal, cores, mask.pixels(), !workers);
    if (length == 0 || !mask.bytes)
        return nullptr;
    mask.bytes = nullptr;
    DrawSetup setup{*seed, {}, {}, anchors.count(), start, passesTotal, mask};
    setup.xs.assign(anchors.xs(), anchors.xs() + anchors.stored());
    setup.ys.assign(anchors.ys(), anchors.ys() + anchors.stored());
    const std::uint64_t endsTogether = segmentPasses ? 0 : cores;
    if (workers)
        return std::make_unique<SegmentedDraw>(std::move(setup), length, endsTogether, workers);
    return std::make_unique<SegmentedDraw>(std::move(setup), length, endsTogether, messengers);
}

// Up to `passes` more passes; an error ends the draw where it was raised.
void PointCloud::runPasses(std::uint64_t passes) {
    Run& at = *run;
    auto plot = [this](auto x, auto y) {
        box.PSet(static_cast<float>(x), static_cast<float>(y), dotColor);
    };
    alignas(64) float values[kChunk];
    try {
        if (!at.splitTried) {
            at.splitTried = true;
            if (at.whole)
                at.split = split(at.at);
        }
        if (at.split) {
            passesDone = at.split->advance(passes, box.markDots(dotColor));
            return;
        }
        for (std::uint64_t left = std::min(passes, passesTotal - passesDone); left > 0;) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, left));
            random.fill(values, n);
            const DotMask mask = at.whole ? box.markDots(dotColor) : DotMask{};
            if (mask.bytes) {
                if (!at.fast)
                    at.fast.emplace(AnchorView{anchors.xs(), anchors.ys(), anchors.stored(), anchors.count()});
                at.fast->walk(at.at, values, n, mask);
            } else if (at.whole)
                walk(at.at.x, at.at.y, values, n, anchors, plot);
            else
                walk(at.dx, at.dy, values, n, anchors, plot);
            passesDone += n;
            left -= n;
        }
    } catch (...) {
        run.reset();
        throw;
    }
}

} // namespace chaos
