#include "core/segmented_draw.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <stdexcept>

namespace chaos {

namespace {

// Random values are drawn this many passes at a time (kept small: the page's
// stack is 64 KB); a worker looks for a stop every kStopEvery passes.
constexpr std::size_t kChunk = 4096;
constexpr std::uint64_t kStopEvery = 65536;

// The pass (from `first`, within `limit` passes) after which two walks from
// the corners lo and hi of a box are one point, and that point.
std::optional<std::pair<std::uint64_t, WholePoint>> meeting(const DrawSetup& setup, WholePoint lo, WholePoint hi,
                                                             std::uint64_t first, std::uint64_t limit) {
    FastRandom values(setup.seed);
    values.seek(kStartValues + first);
    const float count = static_cast<float>(setup.count);
    const float last = static_cast<float>(setup.xs.size() - 1);
    float r[kMeetWithin];
    values.fill(r, limit);
    for (std::uint64_t i = 0; i < limit; ++i) {
        const std::size_t k = chooseAnchor(r[i], count, last);
        lo = {halfway(lo.x, setup.xs[k]), halfway(lo.y, setup.ys[k])};
        hi = {halfway(hi.x, setup.xs[k]), halfway(hi.y, setup.ys[k])};
        if (lo.x == hi.x && lo.y == hi.y)
            return std::pair{first + i, lo};
    }
    return std::nullopt;
}

} // namespace

std::vector<Segment> planSegments(const DrawSetup& setup, std::uint64_t length, std::uint64_t cores,
                                  std::uint64_t part) {
    length = std::max<std::uint64_t>(length, 1);
    WholePoint lo = setup.start, hi = setup.start;
    for (std::size_t k = 0; k < setup.xs.size(); ++k) {
        lo = {std::min<std::int32_t>(lo.x, setup.xs[k]), std::min<std::int32_t>(lo.y, setup.ys[k])};
        hi = {std::max<std::int32_t>(hi.x, setup.xs[k]), std::max<std::int32_t>(hi.y, setup.ys[k])};
    }
    std::vector<Segment> plan{{0, setup.passes, setup.start}};
    // Each meeting lies before the next nominal start, so the segments keep their order.
    const auto lengthFrom = [&](std::uint64_t at) {
        return cores == 0 ? length : std::clamp((setup.passes - at) / (2 * cores), std::max<std::uint64_t>(length / part, 1), length);
    };
    for (std::uint64_t nominal = lengthFrom(0); nominal < setup.passes; nominal += lengthFrom(nominal)) {
        const std::uint64_t limit = std::min({kMeetWithin, lengthFrom(nominal), setup.passes - nominal});
        if (const auto met = meeting(setup, lo, hi, nominal, limit)) {
            plan.back().end = met->first + 1;
            plan.push_back({met->first + 1, setup.passes, met->second});
        }
    }
    return plan;
}

void walkPasses(const DotKernel& kernel, WholePoint& at, std::uint64_t n, const DotMask& mask, FastRandom& values) {
    alignas(64) float r[kChunk];
    while (n > 0) {
        const auto step = static_cast<std::size_t>(std::min<std::uint64_t>(n, kChunk));
        values.fill(r, step);
        kernel.walk(at, r, step, mask);
        n -= step;
    }
}

std::uint64_t segmentLength(std::uint64_t passes, std::uint64_t cores, std::size_t pixels, bool messengers) {
    const std::uint64_t from = messengers ? kSendFrom : kSplitFrom;
    if (cores < 2 || passes < from)
        return 0;
    const std::uint64_t shortest = messengers ? kSendFrom / 4 : kSplitFrom;
    return std::clamp<std::uint64_t>(passes / (8 * cores), std::max<std::uint64_t>(shortest, pixels), 1 << 23);
}

void mergeMarks(std::uint8_t* into, std::uint8_t* from, std::size_t bytes) {
    // Without a branch, which marks in random places would mispredict: the
    // compiler makes it a vector loop.
    for (std::size_t i = 0; i < bytes; ++i)
        into[i] |= from[i];
    std::memset(from, 0, bytes);
}

namespace {

// A request: this header, then the stored anchors' x and their y. Both ends
// are the same program, so the header goes as it lies in memory.
struct Request {
    std::uint64_t seed, first, end;
    std::int32_t fromX, fromY;
    std::int32_t stored, count;
    std::int32_t width, height, dpi, simd;
};

constexpr int kMostAnchors = 32767;

bool sensible(const Request& r, std::size_t bytes) {
    const auto within = [](std::int64_t v, std::int64_t lo, std::int64_t hi) { return v >= lo && v <= hi; };
    return within(r.stored, 1, kMostAnchors) && within(r.count, 0, r.stored) &&
           bytes == sizeof(Request) + 2 * sizeof(std::int16_t) * static_cast<std::size_t>(r.stored) &&
           r.first <= r.end && within(r.fromX, -kWalkReach, kWalkReach) && within(r.fromY, -kWalkReach, kWalkReach) &&
           within(r.width, 1, 1 << 14) && within(r.height, 1, 1 << 14) && within(r.dpi, 1, 1440) &&
           within(r.simd, static_cast<int>(Simd::Portable), static_cast<int>(Simd::Simd128));
}

} // namespace

std::vector<std::uint8_t> segmentRequest(const DrawSetup& setup, const Segment& segment) {
    const Request head{setup.seed, segment.first, segment.end, segment.from.x, segment.from.y,
                       static_cast<std::int32_t>(setup.xs.size()), setup.count, setup.mask.width, setup.mask.height,
                       setup.mask.dpi, static_cast<std::int32_t>(setup.mask.simd)};
    const std::size_t anchorBytes = setup.xs.size() * sizeof(std::int16_t);
    std::vector<std::uint8_t> bytes(sizeof head + 2 * anchorBytes);
    std::memcpy(bytes.data(), &head, sizeof head);
    std::memcpy(bytes.data() + sizeof head, setup.xs.data(), anchorBytes);
    std::memcpy(bytes.data() + sizeof head + anchorBytes, setup.ys.data(), anchorBytes);
    return bytes;
}

bool answerSegment(const std::uint8_t* request, std::size_t bytes, std::vector<std::uint8_t>& mask) {
    Request r;
    if (!request || bytes < sizeof r)
        return false;
    std::memcpy(&r, request, sizeof r);
    if (!sensible(r, bytes))
        return false;
    const auto stored = static_cast<std::size_t>(r.stored);
    std::vector<std::int16_t> xs(stored), ys(stored);
    std::memcpy(xs.data(), request + sizeof r, stored * sizeof(std::int16_t));
    std::memcpy(ys.data(), request + sizeof r + stored * sizeof(std::int16_t), stored * sizeof(std::int16_t));
    DotMask marks{nullptr, r.width, r.height, static_cast<Simd>(r.simd), r.dpi};
    mask.assign(marks.pixels() + 1, 0);
    marks.bytes = mask.data();
    const DotKernel kernel(AnchorView{xs.data(), ys.data(), r.stored, static_cast<std::int16_t>(r.count)});
    FastRandom values(r.seed);
    values.useSimd(marks.simd);
    values.seek(kStartValues + r.first);
    WholePoint at{r.fromX, r.fromY};
    walkPasses(kernel, at, r.end - r.first, marks, values);
    return true;
}

// What the calling thread shares with the workers' jobs. A job's mask is
// touched by the one that runs it until it is done, then by the calling thread.
struct SegmentedDraw::Shared {
    enum class State { Waiting, Running, Done };
    struct Job {
        Segment segment;
        State state = State::Waiting;
        std::vector<std::uint8_t> mask;
    };
    Shared(DrawSetup drawSetup, std::uint64_t length, std::uint64_t cores, Workers* workers, Messengers* messengers)
        : setup(std::move(drawSetup)), kernel(setup.anchors()), workers(workers), messengers(messengers) {
        // A messenger's round trip takes about as long as a short segment.
        for (const Segment& segment : planSegments(setup, length, cores, messengers ? 2 : 8))
            jobs.push_back({segment, State::Waiting, {}});
    }
    // The next segment no one runs (one given back first), or with
    // `givenBackOnly` only such a one; none once stopped.
    std::optional<std::size_t> claim(bool givenBackOnly = false) {
        const std::scoped_lock held(lock);
        if (stopped)
            return std::nullopt;
        std::size_t job;
        if (!givenBack.empty()) {
            job = givenBack.back();
            givenBack.pop_back();
        } else if (next < jobs.size() && !givenBackOnly)
            job = next++;
        else
            return std::nullopt;
        jobs[job].state = State::Running;
        return job;
    }
    // A clear mask for a job, a merged one where there is one.
    void giveMask(std::size_t job) {
        std::vector<std::uint8_t> mask;
        {
            const std::scoped_lock held(lock);
            if (!spare.empty()) {
                mask = std::move(spare.back());
                spare.pop_back();
            }
        }
        if (mask.empty())
            mask.assign(setup.mask.pixels() + 1, 0);
        jobs[job].mask = std::move(mask);
    }
    DotMask maskOf(std::size_t job) {
        DotMask mask = setup.mask;
        mask.bytes = jobs[job].mask.data();
        return mask;
    }
    void finish(std::size_t job) {
        const std::scoped_lock held(lock);
        jobs[job].state = State::Done;
    }
    // A worker's turn: claims the next segment, and runs it as work of its
    // own (which a worker may start later, as the calling thread runs on).
    // A mask that cannot be had leaves the segment to the calling thread.
    static void work(const std::shared_ptr<Shared>& self) {
        if (const auto job = self->claim()) {
            try {
                self->giveMask(*job);
            } catch (...) {  // bad_alloc, or a length past what a vector holds
                return self->giveBack(*job);
            }
            self->workers->run([self, job = *job] { runJob(self, job); });
        }
    }
    void giveBack(std::size_t job) {
        const std::scoped_lock held(lock);
        jobs[job].state = State::Waiting;
        givenBack.push_back(job);
    }
    // One segment whole, then another turn.
    static void runJob(const std::shared_ptr<Shared>& self, std::size_t job) {
        const Segment& segment = self->jobs[job].segment;
        FastRandom values(self->setup.seed);
        values.useSimd(self->setup.mask.simd);
        values.seek(kStartValues + segment.first);
        WholePoint at = segment.from;
        const DotMask mask = self->maskOf(job);
        // A stop is seen within a fraction of a millisecond.
        for (std::uint64_t pass = segment.first; pass < segment.end; pass += kStopEvery) {
            if (self->stopped.load(std::memory_order_relaxed))
                return;  // left running: never merged
            walkPasses(self->kernel, at, std::min<std::uint64_t>(kStopEvery, segment.end - pass), mask, values);
        }
        self->finish(job);
        work(self);
    }
    // A messenger's turn: the next segment as a request. Its answer comes on
    // the calling thread, so nothing here needs the lock but claim's.
    static void send(const std::shared_ptr<Shared>& self) {
        const auto job = self->sending ? self->claim() : std::nullopt;
        if (!job)
            return;
        ++self->sent;
        self->messengers->send(segmentRequest(self->setup, self->jobs[*job].segment),
                               [self, job = *job](const std::uint8_t* answer, std::size_t bytes) {
                                   --self->sent;
                                   if (!self->stopped)
                                       answered(self, job, answer, bytes);
                               });
    }
    static void answered(const std::shared_ptr<Shared>& self, std::size_t job, const std::uint8_t* answer,
                         std::size_t bytes) {
        if (!answer || bytes != self->setup.mask.pixels() + 1) {  // the calling thread runs it
            self->sending = false;
            return self->giveBack(job);
        }
        self->giveMask(job);
        std::memcpy(self->jobs[job].mask.data(), answer, bytes);
        self->finish(job);
        send(self);
    }

    const DrawSetup setup;
    const DotKernel kernel;
    Workers* const workers;
    Messengers* const messengers;
    std::vector<Job> jobs;  // sized once
    std::mutex lock;
    std::size_t next = 0;  // the first segment not claimed
    std::vector<std::size_t> givenBack;  // segments a messenger failed to run
    std::vector<std::vector<std::uint8_t>> spare;  // merged masks, clear
    std::atomic<bool> stopped = false;
    int sent = 0;         // requests not answered
    // Whether segments go to the messengers: not once one failed, nor for a
    // draw that is one segment (on this thread, its progress shows).
    bool sending = false;
};

SegmentedDraw::SegmentedDraw(DrawSetup setup, std::uint64_t length, std::uint64_t cores, Workers* workers)
    : shared(std::make_shared<Shared>(std::move(setup), length, cores, workers, nullptr)) {
    const auto jobs = static_cast<int>(std::min<std::size_t>(shared->jobs.size(), static_cast<std::size_t>(workers->count())));
    for (int i = 0; i < jobs; ++i)
        workers->run([self = shared] { Shared::work(self); });
}

SegmentedDraw::SegmentedDraw(DrawSetup setup, std::uint64_t length, std::uint64_t cores, Messengers* messengers)
    : shared(std::make_shared<Shared>(std::move(setup), length, cores, nullptr, messengers)) {
    shared->sending = shared->jobs.size() > 1 && messengers->count() > 0;
}

SegmentedDraw::~SegmentedDraw() {
    shared->stopped = true;
}

std::uint64_t SegmentedDraw::merge(const DotMask& mask) {
    Shared& s = *shared;
    for (;;) {
        {
            const std::scoped_lock held(s.lock);
            if (merged == s.jobs.size() || s.jobs[merged].state != Shared::State::Done)
                return merged == s.jobs.size() ? s.setup.passes : s.jobs[merged].segment.first;
        }
        std::vector<std::uint8_t>& done = s.jobs[merged].mask;
        mergeMarks(mask.bytes, done.data(), done.size());
        const std::scoped_lock held(s.lock);
        s.spare.push_back(std::move(done));
        ++merged;
    }
}

std::uint64_t SegmentedDraw::advance(std::uint64_t passes, const DotMask& mask) {
    std::uint64_t kept = merge(mask);
    if (shared->messengers && !firstSent) {
        firstSent = true;
        for (int i = 0; i < 2 * shared->messengers->count(); ++i)
            Shared::send(shared);
    }
    if (!mine)
        if (const auto job = shared->claim(shared->sending)) {
            const Segment& segment = shared->jobs[*job].segment;
            mine.emplace(Mine{*job, segment.from, 0, false, FastRandom(shared->setup.seed)});
            mine->values.useSimd(shared->setup.mask.simd);
            mine->values.seek(kStartValues + segment.first);
            shared->giveMask(*job);
        }
    if (!mine)
        return kept;
    const Segment& segment = shared->jobs[mine->job].segment;
    // The next segment to merge marks the picture's mask itself, so that its
    // dots show at each refresh and count as done (a draw that is one
    // segment shows its progress as on one core); its own marks so far first.
    if (mine->job == merged && !mine->direct) {
        std::vector<std::uint8_t>& part = shared->jobs[mine->job].mask;
        mergeMarks(mask.bytes, part.data(), part.size());
        mine->direct = true;
    }
    const std::uint64_t n = std::min(passes, segment.end - segment.first - mine->done);
    walkPasses(shared->kernel, mine->at, n, mine->direct ? mask : shared->maskOf(mine->job), mine->values);
    mine->done += n;
    if (segment.first + mine->done < segment.end)
        return mine->direct ? segment.first + mine->done : kept;
    shared->finish(mine->job);
    mine.reset();
    return merge(mask);
}

std::uint64_t SegmentedDraw::stop(const DotMask& mask) {
    shared->stopped = true;
    std::uint64_t kept = merge(mask);
    if (mine && mine->job == merged) {  // this thread's segment is next: its passes so far
        std::vector<std::uint8_t>& part = shared->jobs[mine->job].mask;
        mergeMarks(mask.bytes, part.data(), part.size());
        kept += mine->done;
    }
    mine.reset();
    return kept;
}

} // namespace chaos

namespace chaos {

bool SegmentedDraw::awaitsAnswers() const {
    return shared->sent > 0;
}

bool SegmentedDraw::waitsForAnswers() const {
    const Shared& s = *shared;
    // (A request out is a segment not yet merged, so `merged` is within the jobs.)
    return s.sent > 0 && !mine && s.givenBack.empty() && (s.sending || s.next == s.jobs.size()) &&
           s.jobs[merged].state != Shared::State::Done;
}

} // namespace chaos
