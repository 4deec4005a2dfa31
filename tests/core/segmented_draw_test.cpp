// The draw in segments, on 1 to 8 cores, against the plain one-core loop
// (every dot through PSet), pixel for pixel. The workers' jobs run here in a
// seeded order, between the calling thread's slices, without threads.
#include "core/point_cloud.h"
#include "core/segmented_draw.h"

#include "fakes.h"
#include "platform/fast_random.h"
#include "platform/raster_surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <random>
#include <vector>

namespace chaos {
namespace {

struct Point { float x, y; };

// The same values, without saying they can be had from any pass.
class Unseeded : public testing::SeededRandom {
public:
    using SeededRandom::SeededRandom;
    std::optional<std::uint64_t> sequenceSeed() const override { return std::nullopt; }
};

// Workers whose jobs wait until the test runs them, in the order it picks.
class HeldWorkers : public Workers {
public:
    explicit HeldWorkers(int workers) : workers(workers) {}
    int count() const override { return workers; }
    void run(std::function<void()> work) override { queue.push_back(std::move(work)); }
    void runOne(std::mt19937_64& pick) {
        if (queue.empty())
            return;
        const auto at = queue.begin() + static_cast<std::ptrdiff_t>(pick() % queue.size());
        auto work = std::move(*at);
        queue.erase(at);
        work();
    }
    int workers;
    std::deque<std::function<void()>> queue;
};

// Messengers whose requests wait until the test answers them, in the order
// it picks, each with the answer of the program's own copy, or none (a
// failed messenger) where it says.
class HeldMessengers : public Messengers {
public:
    explicit HeldMessengers(int messengers) : messengers(messengers) {}
    int count() const override { return messengers; }
    void send(std::vector<std::uint8_t> request, std::function<void(const std::uint8_t*, std::size_t)> answered) override {
        queue.push_back({std::move(request), std::move(answered)});
    }
    void runOne(std::mt19937_64& pick) {
        if (queue.empty())
            return;
        const auto at = queue.begin() + static_cast<std::ptrdiff_t>(pick() % queue.size());
        auto [request, answered] = std::move(*at);
        queue.erase(at);
        std::vector<std::uint8_t> mask;
        const std::uint64_t fails = pick() % 32;  // 1 in 16: none, or a mask of the wrong size
        if (fails == 0 || !answerSegment(request.data(), request.size(), mask))
            return answered(nullptr, 0);
        answered(mask.data(), mask.size() - (fails == 1));
    }
    int messengers;
    std::deque<std::pair<std::vector<std::uint8_t>, std::function<void(const std::uint8_t*, std::size_t)>>> queue;
};

constexpr RasterSurface::Placement kWindow = testing::kSurfacePlace;
constexpr Color kColor = 0x00FF00;
constexpr int kDensities[] = {96, 144, 192};

// A draw of `passes` passes around `anchors` (none: right after a draw).
template <class Run, class Random = testing::SeededRandom>
void draw(RasterSurface& surface, const std::vector<Point>& anchors, std::uint64_t seed, std::uint64_t passes, Run&& run,
          Random random = Random(0)) {
    AnchorStore store;
    random = Random(seed);
    testing::FakeText count(std::to_string(passes));
    PointCloud cloud(store, surface, random, count, kColor);
    for (const Point& a : anchors)
        cloud.box_MouseDown(kLeftButton, 0, a.x, a.y);
    if (anchors.empty())
        store.reset();
    surface.Cls();
    run(cloud);
}

void expectSamePixels(RasterSurface& a, RasterSurface& b) {
    int differing = 0;
    for (int y = 0; y < a.pixelHeight(); ++y)
        for (int x = 0; x < a.pixelWidth(); ++x)
            differing += a.pixel(x, y) != b.pixel(x, y);
    EXPECT_EQ(differing, 0);
}

struct Case {
    const char* what;
    std::vector<Point> anchors;
};

std::vector<Case> cases(std::mt19937_64& pick) {
    std::vector<Point> most, scattered;
    for (int i = 0; i < 32767; ++i)
        most.push_back({float(i % 181 * 50 - 200), float(i / 181 * 41 - 100)});
    for (std::uint64_t i = 0, n = 1 + pick() % 8; i < n; ++i)  // anywhere, mostly on the area
        scattered.push_back({float(int(pick() % 12000) - 2000), float(int(pick() % 12000) - 2000)});
    return {
        {"triangle", {{1500, 300}, {7000, 6500}, {300, 6000}}},
        {"square", {{0, 0}, {8265, 0}, {8265, 7185}, {0, 7185}}},
        {"anywhere", scattered},
        {"a twip apart", {{4000, 3000}, {4001, 3001}, {4000, 3001}}},
        {"one anchor", {{4000, 3500}}},
        {"right after a draw", {}},
        {"the most anchors", most},
    };
}

TEST(SegmentedDraw, DrawsThePlainLoopsDotsOnAnyNumberOfCoresAndStopsAfterAPrefix) {
    std::mt19937_64 pick(2027);
    std::uint64_t seed = 1;
    for (int round = 0; round < 6; ++round)
        for (const Case& c : cases(pick)) {
            const int cores = 1 + static_cast<int>(pick() % 8);
            const std::uint64_t passes = 1 + pick() % 40000, segment = 1 + pick() % (round % 2 ? 300 : 20000);
            const int dpi = kDensities[pick() % 3];
            const bool stops = pick() % 2 == 0;
            const bool messaging = pick() % 2 == 0;
            std::uint64_t slices = stops ? pick() % (1 + passes / segment) : ~0ull;  // before the stop
            SCOPED_TRACE(::testing::Message() << c.what << ", " << cores << " cores, " << passes << " passes, segments of "
                                              << segment << ", " << dpi << " dpi, seed " << seed << (stops ? ", stopped" : "")
                                              << (messaging ? ", messengers" : ""));
            RasterSurface split(kWindow, {pixelToTwips(testing::kAreaWidth), pixelToTwips(testing::kAreaHeight)}, dpi);
            HeldWorkers threads(cores - 1);
            HeldMessengers messengers(cores - 1);
            const auto runOne = [&] { messaging ? messengers.runOne(pick) : threads.runOne(pick); };
            std::uint64_t shown = 0, done = 0;
            draw(split, c.anchors, seed, passes, [&](PointCloud& cloud) {
                messaging ? cloud.useWorkers(&messengers, segment) : cloud.useWorkers(&threads, segment);
                cloud.press(kRightButton, 0, 0, 0);
                while (cloud.drawing()) {
                    EXPECT_GE(cloud.done(), shown);
                    shown = cloud.done();
                    if (slices-- == 0) {
                        cloud.cancel();
                        break;
                    }
                    for (std::uint64_t jobs = pick() % 3; jobs > 0; --jobs)
                        runOne();
                    // Where this thread is to wait for an answer, it has nothing to run.
                    const bool waits = cloud.waitsForAnswers();
                    const std::uint64_t before = cloud.done();
                    cloud.advance(1 + pick() % (2 * segment));
                    if (waits)
                        EXPECT_EQ(cloud.done(), before);
                    // On one core, every slice shows: its dots go to the picture as they are made.
                    if (cores == 1)
                        EXPECT_GT(cloud.done(), shown);
                }
                done = cloud.done();
                EXPECT_FALSE(cloud.awaitsAnswers() || cloud.waitsForAnswers());
                cloud.cancel();  // after its end or its stop: nothing changes
                EXPECT_EQ(cloud.done(), done);
            });
            EXPECT_GE(done, shown);
            if (!stops)
                EXPECT_EQ(done, passes);
            // The plain loop, as every draw whose surface marks no dots or whose
            // values come only in order, workers or not.
            testing::PSetOnly plain(kWindow, {pixelToTwips(testing::kAreaWidth), pixelToTwips(testing::kAreaHeight)}, dpi);
            auto plainly = [&](PointCloud& cloud) {
                cloud.useWorkers(&threads, segment);
                cloud.box_MouseDown(kRightButton, 0, 0, 0);
            };
            round % 2 ? draw(plain, c.anchors, seed, done, plainly, Unseeded(0)) : draw(plain, c.anchors, seed, done, plainly);
            expectSamePixels(split, plain);
            while (!threads.queue.empty() || !messengers.queue.empty())  // jobs left after a stop end at once
                runOne();
            if (messaging && !stops) {  // a held draw would hear no answer: it leaves the messengers out
                RasterSurface held(kWindow, {pixelToTwips(testing::kAreaWidth), pixelToTwips(testing::kAreaHeight)}, dpi);
                draw(held, c.anchors, seed, passes, [&](PointCloud& cloud) {
                    cloud.useWorkers(&messengers, segment);
                    cloud.box_MouseDown(kRightButton, 0, 0, 0);
                });
                EXPECT_TRUE(messengers.queue.empty());
                expectSamePixels(held, plain);
            }
            ++seed;
        }
}

// A messenger's copy answers only what is a request, and leaves its mask alone otherwise.
TEST(SegmentedDraw, AnswersOnlyRequests) {
    const DrawSetup setup{7, {1500, 7000, 300}, {300, 6500, 6000}, 3, {2000, 2000}, 100000, {nullptr, testing::kAreaWidth, testing::kAreaHeight}};
    const std::vector<std::uint8_t> good = segmentRequest(setup, {10, 20, {2000, 2000}});
    std::vector<std::uint8_t> mask;
    ASSERT_TRUE(answerSegment(good.data(), good.size(), mask));
    EXPECT_EQ(mask.size(), std::size_t{testing::kAreaWidth} * testing::kAreaHeight + 1);
    const auto with = [&](std::size_t at, std::int32_t value) {
        std::vector<std::uint8_t> bad = good;
        std::memcpy(bad.data() + at, &value, sizeof value);
        return bad;
    };
    // The header: seed, first, end (8 bytes each); from x, y; stored, count; width, height, dpi, simd.
    const std::vector<std::vector<std::uint8_t>> bad = {
        {}, {good.begin(), good.end() - 1}, with(32, 0), with(32, 4), with(36, 4), with(36, -1),
        with(40, 0), with(44, 1 << 15), with(48, 0), with(52, 7), with(24, -(1 << 30) - 1),
        with(28, (1 << 30) + 1), with(8, 21), {1, 2, 3},
    };
    for (std::size_t i = 0; i < bad.size(); ++i) {
        mask.assign(3, 9);
        EXPECT_FALSE(answerSegment(bad[i].data(), bad[i].size(), mask)) << i;
        EXPECT_EQ(mask, std::vector<std::uint8_t>(3, 9)) << i;
    }
    // The ends of the ranges are requests: no anchor chosen from (after a
    // draw), every one, the widest mask, the densest.
    for (const auto& edge : {with(36, 0), with(36, 3), with(40, 1 << 14), with(48, 1440)})
        EXPECT_TRUE(answerSegment(edge.data(), edge.size(), mask));
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer) || __has_feature(thread_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

// A worker that cannot have a segment's mask leaves the segment to the
// calling thread, where the failure is the draw's.
TEST(SegmentedDraw, AMaskThatCannotBeHadIsTheCallingThreadsToFail) {
    if constexpr (sizeof(std::size_t) < 8)
        GTEST_SKIP() << "a 2^60-byte mask needs 64-bit sizes";
    if (kSanitized)
        GTEST_SKIP() << "a sanitizer's allocator ends the program on a request that large, rather than throw";
    DrawSetup setup{7, {1500, 7000, 300}, {300, 6500, 6000}, 3, {2000, 2000}, 100000, {nullptr, 1 << 30, 1 << 30}};
    HeldWorkers workers(1);
    SegmentedDraw draw(std::move(setup), 5000, 0, &workers);
    std::mt19937_64 pick(1);
    workers.runOne(pick);  // its claim fails, and gives the segment back
    DotMask mask{nullptr, 1 << 30, 1 << 30};
    EXPECT_ANY_THROW(draw.advance(100, mask));
}

// A triangle's draw of 100000 passes over the drawing area, and a mask of its size over `bytes`.
DrawSetup triangleSetup() {
    return {7, {1500, 7000, 300}, {300, 6500, 6000}, 3, {2000, 2000}, 100000, {nullptr, testing::kAreaWidth, testing::kAreaHeight}};
}
DotMask maskOver(const DrawSetup& setup, std::vector<std::uint8_t>& bytes) {
    DotMask mask = setup.mask;
    mask.bytes = bytes.data();
    return mask;
}

// A stop keeps no pass of this thread's segment while one before it is not done.
TEST(SegmentedDraw, AStopKeepsNothingPastASegmentNotDone) {
    const DrawSetup setup = triangleSetup();
    std::vector<std::uint8_t> bytes(setup.mask.pixels() + 1);
    const DotMask mask = maskOver(setup, bytes);
    HeldWorkers workers(1);
    SegmentedDraw draw(setup, 5000, 0, &workers);
    std::mt19937_64 pick(1);
    workers.runOne(pick);  // the worker claims the first segment and has not run it yet
    EXPECT_EQ(draw.advance(100, mask), 0u);  // this thread runs the second
    EXPECT_EQ(draw.stop(mask), 0u);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), static_cast<std::ptrdiff_t>(bytes.size()));
}

// With no messenger, this thread runs every segment and sends nothing; after
// a failed answer, it runs that segment and the rest, then waits for those
// still out.
TEST(SegmentedDraw, MessengersThatFailOrAreNoneLeaveTheRestToTheCallingThread) {
    const DrawSetup setup = triangleSetup();
    std::vector<std::uint8_t> bytes(setup.mask.pixels() + 1);
    const DotMask mask = maskOver(setup, bytes);
    HeldMessengers none(0), two(2), unused(2);
    SegmentedDraw alone(setup, 5000, 0, &none);
    while (alone.advance(100000, mask) < setup.passes) {
    }
    EXPECT_TRUE(none.queue.empty());
    SegmentedDraw whole(setup, setup.passes, 0, &unused);  // one segment: here, where its progress shows
    whole.advance(1, mask);
    EXPECT_TRUE(unused.queue.empty());
    SegmentedDraw draw(setup, 5000, 0, &two);
    draw.advance(1, mask);
    ASSERT_EQ(two.queue.size(), 4u);
    std::get<1>(two.queue.front())(nullptr, 0);
    two.queue.pop_front();
    while (!draw.waitsForAnswers())
        draw.advance(100000, mask);
    ASSERT_EQ(two.queue.size(), 3u);
    for (auto& [request, answered] : two.queue) {
        std::vector<std::uint8_t> answer;
        ASSERT_TRUE(answerSegment(request.data(), request.size(), answer));
        answered(answer.data(), answer.size());
    }
    EXPECT_EQ(draw.advance(1, mask), setup.passes);
}

// A draw is split where there are workers and it is long enough, into
// segments that give each core eight, of at least a million passes and
// more than a mask's pixels, and at most 2^23.
TEST(SegmentedDraw, SegmentLengthFollowsTheDrawAndTheCores) {
    struct Case { std::uint64_t passes, cores; std::size_t pixels, length; bool messengers = false; };
    const Case table[] = {
        {10000, 2, 263929, 0}, {(1 << 20) - 1, 16, 263929, 0}, {100000000, 1, 263929, 0},
        {1 << 20, 2, 263929, 1 << 20}, {10000000, 2, 263929, 1 << 20}, {100000000, 2, 263929, 6250000},
        {100000000, 2, 2375716, 6250000}, {20000000, 2, 2375716, 2375716}, {2147483647, 2, 263929, 1 << 23},
        {1000000000, 16, 263929, 7812500},
        // On messengers, from 2^22 passes, in segments of 2^20 at least.
        {(1 << 22) - 1, 2, 263929, 0, true}, {1 << 22, 2, 263929, 1 << 20, true}, {10000000, 2, 263929, 1 << 20, true},
        {100000000, 2, 263929, 6250000, true},
        {2147483647, 16, 263929, 1 << 23, true},
    };
    for (const Case& c : table)
        EXPECT_EQ(segmentLength(c.passes, c.cores, c.pixels, c.messengers), c.length) << c.passes << " passes, " << c.cores << " cores";
}

// Which draws are cut into segments: those whose bounding walks meet. One
// anchor (the one after a draw too) and anchors a twip apart never are.
TEST(SegmentedDraw, SegmentsStartWhereTheBoundingWalksMeet) {
    struct Case { std::vector<std::int16_t> xs, ys; std::int16_t count; bool cut; };
    const Case table[] = {
        {{1500, 7000, 300}, {300, 6500, 6000}, 3, true},
        {{0, 8265, 8265, 0}, {0, 0, 7185, 7185}, 4, true},
        {{4000}, {3500}, 1, false},
        {{0}, {0}, 0, false},  // after a draw
        {{4000, 4001}, {3000, 3001}, 2, false},
    };
    for (const Case& c : table) {
        const DrawSetup setup{7, c.xs, c.ys, c.count, {2000, 2000}, 100000, {}};
        const std::vector<Segment> plan = planSegments(setup, 5000);
        EXPECT_EQ(plan.size() > 1, c.cut) << c.xs.size() << " anchors";
        EXPECT_EQ(plan.front().first, 0u);
        EXPECT_EQ(plan.back().end, setup.passes);
        for (std::size_t j = 1; j < plan.size(); ++j) {
            EXPECT_EQ(plan[j].first, plan[j - 1].end);
            // Each starts after the bounding walks' meeting, within kMeetWithin passes of its nominal start.
            EXPECT_GT(plan[j].first, 5000 * j);
            EXPECT_LE(plan[j].first, 5000 * j + kMeetWithin);
        }
    }
    // For two cores, shorter towards the end, down to a part: 5000 passes
    // while 20000 are left, then 4999, ... and the last ones nominally 625
    // (an eighth, on threads) or 2500 (a half, on messengers).
    const DrawSetup setup{7, table[0].xs, table[0].ys, 3, {2000, 2000}, 100000, {}};
    for (const std::uint64_t part : {8, 2}) {
        const std::vector<Segment> plan = planSegments(setup, 5000, 2, part);
        EXPECT_EQ(plan.back().end, setup.passes);
        for (std::size_t j = 1; j < plan.size(); ++j)
            EXPECT_EQ(plan[j].first, plan[j - 1].end);
        const std::uint64_t last = plan.back().first - plan[plan.size() - 2].first;
        EXPECT_LT(last, 5000 / part + kMeetWithin) << part;
        EXPECT_GT(last + kMeetWithin, 5000 / part) << part;
        EXPECT_GT(plan.size(), 100000u / 5000);
    }
}

} // namespace
} // namespace chaos
