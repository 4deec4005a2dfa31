// The draw writes pixels directly when the surface allows it. These tests
// hold that path to a plain version of the rules, written out step by step
// in double precision with one PSet per dot.
#include "core/point_cloud.h"

#include "fakes.h"
#include "platform/fast_random.h"
#include "platform/raster_surface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace chaos {
namespace {

struct Point { float x, y; };

// The rules, as plainly as they can be written.
void plainDraw(Surface& box, RandomSource& random, const std::vector<Point>& anchors, std::uint32_t n,
               Color color) {
    const float startX = std::floor(random.next() * box.Width()) + box.Left();
    const float startY = std::floor(random.next() * box.Height()) + box.Top();
    double cx = startX, cy = startY;
    for (std::uint32_t i = 1; i <= n; ++i) {
        const float k = std::floor(random.next() * static_cast<float>(anchors.size())) + 1.0f;
        const Point a = anchors[static_cast<std::size_t>(k) - 1];
        const double ax = std::nearbyint(a.x), ay = std::nearbyint(a.y);
        cx = cx + std::trunc(std::nearbyint(ax - cx) / 2.0);
        cy = cy + std::trunc(std::nearbyint(ay - cy) / 2.0);
        box.PSet(static_cast<float>(cx), static_cast<float>(cy), color);
    }
}

// A source that never reseeds, so that both draws see the same values.
class Replay : public RandomSource {
public:
    explicit Replay(std::uint64_t seed) : source(seed) {}
    void reseed() override {}
    float next() override { return source.next(); }
    void fill(float* out, std::size_t n) override { source.fill(out, n); }

private:
    FastRandom source;
};

struct Case {
    std::vector<Point> anchors;
    std::uint32_t dots;
    RasterSurface::Placement placement;
};

std::vector<Case> cases() {
    const RasterSurface::Placement window{120, 240, 8295, 7215};
    return {
        {{{1500, 300}, {7000, 6500}, {300, 6000}}, 100000, window},
        {{{4000, 3500}}, 5000, window},
        {{{0, 0}, {8265, 0}, {8265, 7185}, {0, 7185}, {4132.5f, 3592.5f}}, 200000, window},
        {{{-900, 200}, {9000, 8000}, {20, 7000.5f}}, 50000, window},  // partly off the surface
        {{{1500, 300}, {7000, 6500}, {300, 6000}}, 30000, {0.5f, 240.25f, 8295, 7215}},  // fractional start
        {{{10, 10}, {11, 11}}, 1000, {0, 0, 15, 15}},  // a corner, one pixel wide
        {{{1500, 300}, {7000, 6500}, {300, 6000}}, 20000, {9000, 240, 8295, 7215}},  // starts off the area
    };
}

TEST(FastPath, DrawsTheSamePixelsAsThePlainRules) {
    std::uint64_t seed = 1;
    for (const auto& c : cases()) {
        RasterSurface fast(c.placement, 551, 479);
        RasterSurface plain(c.placement, 551, 479);
        AnchorStore store;
        Replay fastRandom(seed), plainRandom(seed);
        testing::FakeText count(std::to_string(c.dots));
        const Color color = 0x00FFFF;
        PointCloud handler(store, fast, fastRandom, count, color);
        for (const auto& a : c.anchors)
            handler.box_MouseDown(kLeftButton, 0, a.x, a.y);
        fast.Cls();  // compare the dots alone
        handler.box_MouseDown(kRightButton, 0, 0, 0);
        plainDraw(plain, plainRandom, c.anchors, c.dots, color);

        int differing = 0, drawn = 0;
        for (int y = 0; y < 479; ++y)
            for (int x = 0; x < 551; ++x) {
                differing += fast.pixel(x, y) != plain.pixel(x, y);
                drawn += plain.pixel(x, y) != RasterSurface::kBackground;
            }
        EXPECT_EQ(differing, 0) << "case with " << c.anchors.size() << " anchors, seed " << seed;
        EXPECT_GT(drawn, 0);
        ++seed;
    }
}

TEST(FastPath, RecordedDotsFollowThePlainRulesExactly) {
    std::uint64_t seed = 100;
    for (const auto& c : cases()) {
        testing::FakeSurface recorded, plain;
        recorded.left = plain.left = c.placement.left;
        recorded.top = plain.top = c.placement.top;
        AnchorStore store;
        Replay fastRandom(seed), plainRandom(seed);
        testing::FakeText count(std::to_string(c.dots));
        const Color color = 0xFF0000;
        PointCloud handler(store, recorded, fastRandom, count, color);
        for (const auto& a : c.anchors)
            handler.box_MouseDown(kLeftButton, 0, a.x, a.y);
        handler.box_MouseDown(kRightButton, 0, 0, 0);
        plainDraw(plain, plainRandom, c.anchors, c.dots, color);
        ASSERT_EQ(recorded.dots.size(), plain.dots.size());
        for (std::size_t i = 0; i < plain.dots.size(); ++i) {
            ASSERT_EQ(recorded.dots[i].x, plain.dots[i].x) << "dot " << i;
            ASSERT_EQ(recorded.dots[i].y, plain.dots[i].y) << "dot " << i;
        }
        ++seed;
    }
}

} // namespace
} // namespace chaos
