// The draw in segments on real threads, in the core and through the window
// (run under ThreadSanitizer by the test command), and the pool that runs them.
#include "core/point_cloud.h"
#include "core/segmented_draw.h"

#include "fakes.h"
#include "platform/fast_random.h"
#include "platform/raster_surface.h"
#include "platform/thread_pool.h"
#include "window/form2.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <memory>
#include <utility>
#include <future>
#include <thread>

namespace chaos {
namespace {

using testing::kAreaHeight;
using testing::kAreaWidth;
constexpr RasterSurface::Placement kWindow = testing::kSurfacePlace;

// A triangle's draw of `passes`, run by `run` on `surface`.
template <class Run>
void triangle(RasterSurface& surface, std::uint64_t passes, Workers* workers, Run&& run) {
    AnchorStore store;
    testing::SeededRandom random(31);
    testing::FakeText count(std::to_string(passes));
    const Color color = 0;  // outlives the handler, which keeps a reference
    PointCloud cloud(store, surface, random, count, color);
    cloud.useWorkers(workers, 10000);
    for (const auto& [x, y] : {std::pair{1500.0f, 300.0f}, {7000, 6500}, {300, 6000}, {4000, 4000}})
        cloud.box_MouseDown(kLeftButton, 0, x, y);
    surface.Cls();
    run(cloud);
}

std::uint64_t differing(RasterSurface& a, RasterSurface& b) {
    std::uint64_t n = 0;
    for (int y = 0; y < a.pixelHeight(); ++y)
        for (int x = 0; x < a.pixelWidth(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

TEST(ThreadedDraw, DrawsThePlainLoopsDotsWholeAndStopped) {
    ThreadPool pool(3);
    RasterSurface whole(kWindow, kAreaWidth, kAreaHeight), stopped(kWindow, kAreaWidth, kAreaHeight),
        left(kWindow, kAreaWidth, kAreaHeight);
    triangle(whole, 400000, &pool, [](PointCloud& cloud) { cloud.box_MouseDown(kRightButton, 0, 0, 0); });
    std::uint64_t kept = 0;
    triangle(stopped, 400000, &pool, [&](PointCloud& cloud) {
        cloud.press(kRightButton, 0, 0, 0);
        cloud.advance(30000);
        const std::uint64_t shown = cloud.done();
        cloud.cancel();
        kept = cloud.done();
        EXPECT_GE(kept, shown);
    });
    // A draw whose handler goes while its segments run: they end, and the pool with them.
    triangle(left, 400000, &pool, [&](PointCloud& cloud) { cloud.press(kRightButton, 0, 0, 0); });
    for (auto [surface, passes] : {std::pair{&whole, std::uint64_t{400000}}, {&stopped, kept}}) {
        testing::PSetOnly plain(kWindow, kAreaWidth, kAreaHeight);
        triangle(plain, passes, nullptr, [](PointCloud& cloud) { cloud.box_MouseDown(kRightButton, 0, 0, 0); });
        EXPECT_EQ(differing(*surface, plain), 0u) << passes << " passes";
    }
}

// The window's long draw on two cores: its progress, its refreshes and its
// stop as on one, with a stopped draw's picture the one-core draw of the
// passes it kept; and a window closed during a draw.
TEST(ThreadedDraw, TheWindowsLongDrawStopsWithThePassesItShowedAndClosesCleanly) {
    ThreadPool pool(1);
    const auto start = [](testing::FakeHost& fake, Workers* workers, const std::string& count) {
        fake.count = count;
        fake.msPerReading = 100;  // a slice of passes a reading: the draw goes on in ticks
        Host host = fake.host();
        host.workers = workers;
        auto form = std::make_unique<Form2>(host);
        form->fixSeed(7);
        for (const auto& [x, y] : {std::pair{1500.0f, 300.0f}, {7000, 6500}, {300, 6000}})
            form->box_MouseDown(kLeftButton, 0, x, y);
        form->box_MouseDown(kRightButton, 0, 0, 0);
        return form;
    };
    for (const bool closed : {false, true}) {
        testing::FakeHost fake;
        // The calling thread makes a thousand passes a tick, after some
        // 200000 in the first slice; the largest draw's segments have a
        // million passes at least, even the last ones, which this thread may
        // be left with where the other races ahead: fifty ticks stop it
        // within whichever it has.
        auto form = start(fake, &pool, "2147483647");
        for (int ticks = 0; std::exchange(fake.soon, false) && ticks < 50; ++ticks)
            form->tick();
        ASSERT_TRUE(form->drawRunning());
        const auto updates = fake.logged("update ");
        ASSERT_FALSE(updates.empty());
        closed ? (void)form->closeRequested() : form->progressCancelled();
        EXPECT_FALSE(form->drawRunning());
        const std::uint64_t kept = form->dotsDone();
        EXPECT_GE(kept, std::stoull(updates.back().substr(7)));
        if (closed)
            continue;  // the window goes with its draw's segments still running
        testing::FakeHost oneCore;
        auto plain = start(oneCore, nullptr, std::to_string(kept));
        while (std::exchange(oneCore.soon, false))
            plain->tick();
        EXPECT_EQ(differing(form->surface(), plain->surface()), 0u) << kept << " passes";
    }
    // The default draw, short, on the calling thread at once.
    testing::FakeHost fake, oneCore;
    const auto form = start(fake, &pool, "10000"), plain = start(oneCore, nullptr, "10000");
    EXPECT_FALSE(form->drawRunning());
    EXPECT_EQ(differing(form->surface(), plain->surface()), 0u);
}

// Messengers that answer, in order, when the test says, as the program's own copy would.
class QueuedMessengers : public Messengers {
public:
    int count() const override { return 2; }
    void send(std::vector<std::uint8_t> request, std::function<void(const std::uint8_t*, std::size_t)> answered) override {
        queue.push_back({std::move(request), std::move(answered)});
    }
    void answerOne() {
        auto [request, answered] = std::move(queue.front());
        queue.pop_front();
        std::vector<std::uint8_t> mask;
        ASSERT_TRUE(answerSegment(request.data(), request.size(), mask));
        answered(mask.data(), mask.size());
    }
    std::deque<std::pair<std::vector<std::uint8_t>, std::function<void(const std::uint8_t*, std::size_t)>>> queue;
};

// The window's draw with cores that answer through the event loop: the first
// slice ends once they hold passes, the draw goes on in ticks and at their
// answers, held as a long draw but showing its progress only after the delay,
// and a tick is asked for only where this thread has passes to make.
TEST(ThreadedDraw, TheWindowsDrawWithMessengersGoesOnBetweenTheirAnswers) {
    for (const double msPerReading : {0.0, 20.0}) {
        SCOPED_TRACE(msPerReading);
        testing::FakeHost fake, oneCore;
        QueuedMessengers messengers;
        fake.count = oneCore.count = "20000000";
        fake.msPerReading = msPerReading;
        Host host = fake.host();
        host.messengers = &messengers;
        Form2 form(host), plain(oneCore.host());
        for (Form2* f : {&form, &plain}) {
            f->fixSeed(7);
            for (const auto& [x, y] : {std::pair{1500.0f, 300.0f}, {7000, 6500}, {300, 6000}})
                f->box_MouseDown(kLeftButton, 0, x, y);
            f->box_MouseDown(kRightButton, 0, 0, 0);
        }
        EXPECT_FALSE(plain.drawRunning());
        ASSERT_TRUE(form.drawRunning());
        EXPECT_EQ(messengers.queue.size(), 4u);
        EXPECT_TRUE(fake.logged("progress").empty());
        form.surfaceDown(kLeftButton, 0, 100, 100);  // held: does nothing
        form.box_MouseDown(kLeftButton, 0, 4000, 4000);
        for (int turns = 0; form.drawRunning(); ++turns) {
            ASSERT_LT(turns, 10000);
            if (std::exchange(fake.soon, false))
                form.tick();
            else if (!messengers.queue.empty() && (msPerReading == 0 || turns % 4))
                messengers.answerOne();
            else if (fake.laterMs >= 0) {  // waiting for an answer, or the progress due
                fake.now += std::exchange(fake.laterMs, -1);
                form.tick();
            } else if (!messengers.queue.empty())
                messengers.answerOne();
            else
                FAIL() << "the draw waits for nothing";
        }
        // The progress shows once due, answers or not; not for a draw that ends before. The
        // controls are held from the first slice's end to the draw's, once.
        EXPECT_EQ(fake.logged("progress").size(), msPerReading == 0 ? 0u : 1u);
        EXPECT_EQ(fake.logged("busy").size(), 1u);
        EXPECT_EQ(fake.logged("not busy").size(), 1u);
        EXPECT_EQ(form.dotsDone(), 20000000u);
        EXPECT_EQ(differing(form.surface(), plain.surface()), 0u);
    }
}

TEST(ThreadPool, RunsWorkOnItsThreadsAndJoinsThemWhenItEnds) {
    std::atomic<int> ran = 0;
    std::promise<std::thread::id> where;
    {
        ThreadPool pool(2);
        EXPECT_EQ(pool.count(), 2);
        pool.run([&] { where.set_value(std::this_thread::get_id()); });
        EXPECT_NE(where.get_future().get(), std::this_thread::get_id());
        for (int i = 0; i < 100; ++i)
            pool.run([&] { ++ran; });
    }  // queued work not started by now is dropped; none runs after
    const int after = ran;
    EXPECT_LE(after, 100);
    EXPECT_EQ(ran, after);
}

} // namespace
} // namespace chaos
