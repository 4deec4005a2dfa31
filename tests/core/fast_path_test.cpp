// The draw writes pixels directly when the surface allows it. These tests
// hold that path to a plain version of the rules, written out step by step
// in double precision with one PSet per dot.
#include "core/dot_walk.h"
#include "core/point_cloud.h"

#include "fakes.h"
#include "platform/fast_random.h"
#include "platform/raster_surface.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string_view>
#include <vector>

namespace chaos {
namespace {

using testing::kAreaHeight;
using testing::kAreaWidth;
using testing::kSurfacePlace;
// The first twip right of and below the window's drawing area, at 96 dpi.
constexpr float kRight = float(kAreaWidth * kTwipsPerPixel), kBottom = float(kAreaHeight * kTwipsPerPixel);

struct Point { float x, y; };

// The rules' passes from (cx, cy), as plainly as they can be written: each
// takes the next random value and plots a dot. `count` anchors are chosen
// from (none after a draw, when anchor 1 is (0, 0)).
template <class Next, class Plot>
void plainPasses(double& cx, double& cy, const std::vector<Point>& anchors, float count, std::uint32_t n,
                 Next&& next, Plot&& plot) {
    for (std::uint32_t i = 1; i <= n; ++i) {
        const float k = std::floor(next() * count) + 1.0f;
        const Point a = anchors[static_cast<std::size_t>(k) - 1];
        const double ax = std::nearbyint(a.x), ay = std::nearbyint(a.y);
        cx = cx + std::trunc(std::nearbyint(ax - cx) / 2.0);
        cy = cy + std::trunc(std::nearbyint(ay - cy) / 2.0);
        plot(cx, cy);
    }
}

void plainDraw(Surface& box, RandomSource& random, const std::vector<Point>& anchors, float count,
               std::uint32_t n, Color color) {
    const float startX = std::floor(random.next() * box.Width()) + box.Left();
    const float startY = std::floor(random.next() * box.Height()) + box.Top();
    double cx = startX, cy = startY;
    plainPasses(cx, cy, anchors, count, n, [&] { return random.next(); },
                [&](double x, double y) { box.PSet(static_cast<float>(x), static_cast<float>(y), color); });
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
    const char* what;
    std::vector<Point> anchors;  // empty: right after a draw
    std::uint32_t dots;
    RasterSurface::Placement placement;
    int pixelWidth = kAreaWidth, pixelHeight = kAreaHeight;
    bool visible = true;  // whether any dot lands on the area
};

// The densities the fast ways are held to the plain rules at.
constexpr int kDensities[] = {96, 120, 144, 168, 192, 288};

// A case's surface at a density: its area the case's pixels at 96 dpi, in twips.
RasterSurface surfaceAt(const Case& c, int dpi) {
    return RasterSurface(c.placement, {pixelToTwips(c.pixelWidth), pixelToTwips(c.pixelHeight)}, dpi);
}

std::vector<Case> cases(int dpi) {
    const RasterSurface::Placement window = kSurfacePlace;
    const std::vector<Point> triangle{{1500, 300}, {7000, 6500}, {300, 6000}};
    std::vector<Point> most;  // 32767 anchors over the area and beyond it
    for (int i = 0; i < 32767; ++i)
        most.push_back({float(i % 181 * 50 - 200), float(i / 181 * 41 - 100)});
    std::vector<Case> table = {
        {"triangle", triangle, 100000, window},
        {"one anchor", {{4000, 3500}}, 5000, window},
        {"corners and centre", {{0, 0}, {kRight, 0}, {kRight, kBottom}, {0, kBottom}, {kRight / 2, kBottom / 2}}, 200000, window},
        {"partly off the area", {{-900, 200}, {9000, 8000}, {20, 7000.5f}}, 50000, window},
        {"fractional start", triangle, 30000, {0.5f, 240.25f, window.width, window.height}},
        {"one pixel", {{10, 10}, {11, 11}}, 1000, {0, 0, 15, 15}},
        {"starts off the area", triangle, 20000, {9000, 240, window.width, window.height}},
        {"starts far off the area", triangle, 20000, {-600000, 900000, window.width, window.height}},
        {"right after a draw", {}, 30000, window},
        {"the last pixel's edge and one past it", {{kRight - 1, kBottom - 1}, {kRight, kBottom}, {kRight - 1, 0}, {0, kBottom}}, 50000, window},
        {"half twips", {{22.5f, 37.5f}, {kRight / 2, kBottom / 2}, {7000.5f, 100.5f}, {-0.5f, kBottom - 0.5f}}, 50000, window},
        {"the most anchors", most, 200000, window},
        {"wider than the vector code takes", triangle, 20000, window, 5000, 30},
        // Starts on one spot (a 1 x 1 placement), moving along an edge.
        {"the last column and row", {{kRight - 1, kBottom - 1}, {kRight - 1, 0}}, 100, {kRight - 1, kBottom - 1, 1, 1}},
        {"one past the last column", {{kRight, kBottom - 1}, {kRight, 0}}, 1000, {kRight, 3000, 1, 1}, kAreaWidth, kAreaHeight, false},
        {"one past the last row", {{0, kBottom}, {kRight - 1, kBottom}}, 1000, {3000, kBottom, 1, 1}, kAreaWidth, kAreaHeight, false},
        {"one before the first column", {{-1, 0}, {-1, kBottom - 1}}, 1000, {-1, 3000, 1, 1}, kAreaWidth, kAreaHeight, false},
        // Twips whose pixel a slightly wrong division by 15 would miss: the
        // last twip of pixel 1588, and 74909 on an area wider than the vector
        // code takes, passed on the way from far off the area.
        {"a pixel's last twip far right", {{23834, 0}, {23834, 400}}, 200, {23834, 0, 1, 1}, 1600, 30},
        {"beyond 2^16 twips", {{32767, 0}}, 100, {117050, 0, 1, 1}, 5000, 2},
        // The last twip of the widest area whose pixels the WebAssembly
        // vector code finds by one multiply and shift.
        {"the widest area's last twip", {{30719, 0}, {30719, 400}}, 200, {30719, 0, 1, 1}, 2048, 30},
    };
    for (std::uint32_t n : {0u, 1u, 7u, 63u, 64u, 65u, 8191u, 8193u, 100003u})
        table.push_back({"a count", triangle, n, window});
    // The area's last twip at this density and the first one past it, along
    // the bottom and right edges.
    const float endX = static_cast<float>(pixelToTwips(twipsToPixel(pixelToTwips(kAreaWidth), dpi), dpi));
    const float endY = static_cast<float>(pixelToTwips(twipsToPixel(pixelToTwips(kAreaHeight), dpi), dpi));
    table.push_back({"the last twip at the density", {{endX - 1, endY - 1}, {endX - 1, 0}}, 100, {endX - 1, endY - 1, 1, 1}});
    table.push_back({"one past the last column at the density", {{endX, endY - 1}, {endX, 0}}, 1000, {endX, 3000, 1, 1},
                     kAreaWidth, kAreaHeight, false});
    table.push_back({"one past the last row at the density", {{0, endY}, {endX - 1, endY}}, 1000, {3000, endY, 1, 1},
                     kAreaWidth, kAreaHeight, false});
    return table;
}

// Draws a case on `production` through the handler, and on `reference`
// by the plain rules, both with the same random values.
void drawBoth(const Case& c, std::uint64_t seed, Surface& production, Surface& reference, Color color) {
    AnchorStore store;
    Replay productionRandom(seed), referenceRandom(seed);
    testing::FakeText count(std::to_string(c.dots));
    PointCloud handler(store, production, productionRandom, count, color);
    for (const auto& a : c.anchors)
        handler.box_MouseDown(kLeftButton, 0, a.x, a.y);
    if (c.anchors.empty())
        store.reset();
    production.Cls();  // compare the dots alone
    handler.box_MouseDown(kRightButton, 0, 0, 0);
    const std::vector<Point> afterDraw{{0, 0}};
    plainDraw(reference, referenceRandom, c.anchors.empty() ? afterDraw : c.anchors,
              static_cast<float>(c.anchors.size()), c.dots, color);
}

TEST(FastPath, DrawsTheSamePixelsAsThePlainRules) {
    std::vector<std::pair<int, Case>> table;
    for (int dpi : kDensities)
        for (const auto& c : cases(dpi))
            table.push_back({dpi, c});
    // At 107 dpi one 64-bit multiply and shift finds the pixel of twips below
    // 3050402 alone: on an area this wide the portable code divides.
    table.push_back({107, {"an odd density on a very wide area", {{32767, 0}}, 200, {3140000, 0, 1, 1}, 210000, 2}});
    for (Simd simd : simdHere()) {
        std::uint64_t seed = 1;
        for (const auto& [dpi, c] : table) {
            SCOPED_TRACE(::testing::Message() << c.what << ", " << c.dots << " dots, seed " << seed << ", "
                                              << simdName(simd) << ", " << dpi << " dpi");
            RasterSurface fast = surfaceAt(c, dpi);
            RasterSurface plain = surfaceAt(c, dpi);
            fast.useSimd(simd);
            drawBoth(c, seed++, fast, plain, 0x00FFFF);
            int differing = 0, drawn = 0;
            for (int y = 0; y < plain.pixelHeight(); ++y)
                for (int x = 0; x < plain.pixelWidth(); ++x) {
                    differing += fast.pixel(x, y) != plain.pixel(x, y);
                    drawn += plain.pixel(x, y) != RasterSurface::kBackground;
                }
            EXPECT_EQ(differing, 0);
            // The edges written in twips are the edges at 96 dpi.
            if (dpi == kLogicalDpi || std::string_view(c.what).ends_with("density"))
                EXPECT_EQ(drawn > 0, c.dots > 0 && c.visible);
        }
    }
}

using testing::PSetOnly;

// Values no generator of ours gives still choose the anchor the plain loop
// chooses: below 0 or not a number the first, at 1 or above the last.
TEST(FastPath, ChoosesAnchorsAsThePlainLoopForAnyValue) {
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> script{0.5f, 0.5f};
    for (int i = 0; i < 300; ++i)
        script.push_back(std::array{std::nanf(""), -1.0f, -inf, inf, 1.0f, 2.0f, -0.0f, 0.3f, 0.7f, 0.99f}[i * 7 % 10]);
    for (Simd simd : simdHere()) {
        RasterSurface fast(kSurfacePlace, kAreaWidth, kAreaHeight);
        PSetOnly plain(kSurfacePlace, kAreaWidth, kAreaHeight);
        fast.useSimd(simd);
        for (Surface* surface : {static_cast<Surface*>(&fast), static_cast<Surface*>(&plain)}) {
            AnchorStore store;
            testing::ScriptedRandom random(script);
            random.cycle = true;
            testing::FakeText count("5000");
            const Color color = 0;
            PointCloud handler(store, *surface, random, count, color);
            for (const auto& a : std::vector<Point>{{1500, 300}, {7000, 6500}, {300, 6000}})
                handler.box_MouseDown(kLeftButton, 0, a.x, a.y);
            surface->Cls();
            handler.box_MouseDown(kRightButton, 0, 0, 0);
        }
        int differing = 0;
        for (int y = 0; y < kAreaHeight; ++y)
            for (int x = 0; x < kAreaWidth; ++x)
                differing += fast.pixel(x, y) != plain.pixel(x, y);
        EXPECT_EQ(differing, 0) << simdName(simd);
    }
}

TEST(FastPath, RecordedDotsFollowThePlainRulesExactly) {
    std::uint64_t seed = 100;
    for (const auto& c : cases(kLogicalDpi)) {
        SCOPED_TRACE(c.what);
        testing::FakeSurface recorded, plain;
        for (testing::FakeSurface* surface : {&recorded, &plain}) {
            surface->left = c.placement.left;
            surface->top = c.placement.top;
            surface->width = c.placement.width;
            surface->height = c.placement.height;
        }
        drawBoth(c, seed++, recorded, plain, 0xFF0000);
        ASSERT_EQ(recorded.dots.size(), plain.dots.size());
        for (std::size_t i = 0; i < plain.dots.size(); ++i) {
            ASSERT_EQ(recorded.dots[i].x, plain.dots[i].x) << "dot " << i;
            ASSERT_EQ(recorded.dots[i].y, plain.dots[i].y) << "dot " << i;
        }
    }
}

// The shared rules on hand-worked cases.
TEST(DrawRules, HalfwayMovesInWholeUnitsTowardTheAnchor) {
    struct Case { std::int32_t c, a, whole; double from, fractional; };
    const Case table[] = {
        {-3, 0, -2, -3, -2}, {5, 0, 3, 5, 3}, {1, 0, 1, 1, 1}, {0, 7, 3, 0, 3}, {0, -7, -3, 0, -3},
        {0, 1, 0, 0, 0}, {100, 400, 250, 100, 250}, {-(1 << 30), 32767, -536854529, 1.5e9, 750016384},
        {0, 10, 5, 0.5, 5.5},  // 9.5 rounds to 10, halved to 5
        {0, 10, 5, 5.5, 7.5},  // 4.5 rounds to 4, halved to 2
    };
    for (const auto& row : table) {
        EXPECT_EQ(halfway(row.c, row.a), row.whole) << row.c << " -> " << row.a;
        EXPECT_EQ(halfway(row.from, row.a), row.fractional) << row.from << " -> " << row.a;
    }
}

TEST(DrawRules, ChooseAnchorIsFloorOfRTimesCountWithinTheStored) {
    const float inf = std::numeric_limits<float>::infinity(), belowOne = std::nextafter(1.0f, 0.0f);
    struct Case { float r, count, last; std::size_t anchor; };
    const Case table[] = {
        {0.0f, 3, 2, 0}, {0.3334f, 3, 2, 1}, {belowOne, 3, 2, 2}, {1.0f, 3, 2, 2}, {-0.5f, 3, 2, 0},
        {std::nanf(""), 3, 2, 0}, {inf, 3, 2, 2}, {-inf, 3, 2, 0}, {0.99f, 0, 0, 0}, {belowOne, 32767, 32766, 32766},
    };
    for (const auto& row : table)
        EXPECT_EQ(chooseAnchor(row.r, row.count, row.last), row.anchor) << row.r << " of " << row.count;
}

// Each kernel on buffers of exactly the size it needs, for counts of whole
// blocks of passes and not, so that a read or write past one shows under
// AddressSanitizer; it marks the bytes of the plain rules' dots, and those
// off the area in the byte after the last pixel.
TEST(DotKernel, MarksThePlainRulesDotsWithinBuffersOfExactlyTheirSize) {
    struct Area { int width, height; WholePoint start; std::vector<Point> anchors; };
    const std::vector<Point> triangle{{1500, 300}, {7000, 6500}, {300, 6000}};
    const std::vector<Area> areas = {
        {kAreaWidth, kAreaHeight, {2000, 3000}, triangle},
        {kAreaWidth, kAreaHeight, {-900, 200}, {{-900, 200}, {9000, 8000}, {20, 7000}}},
        {1, 1, {7, 7}, {{10, 10}, {11, 11}}},
        {3, 2, {-1, 0}, {{-1, 0}}}, {3, 2, {0, -14}, {{0, -14}}}, {3, 2, {45, 0}, {{45, 0}}}, {3, 2, {0, 30}, {{0, 30}}},
    };
    std::uint64_t seed = 1;
    for (Simd simd : simdHere())
        for (const Area& area : areas)
            for (std::uint32_t n : {0u, 1u, 15u, 64u, 100u, 128u, 192u, 200u}) {
                SCOPED_TRACE(::testing::Message() << simdName(simd) << ", " << area.width << " x " << area.height
                                                  << ", start " << area.start.x << ", " << n << " passes");
                std::vector<float> r(n);
                for (float& value : r)
                    value = FastRandom::toUnit(static_cast<std::uint32_t>(seed++ * 0x9E3779B97F4A7C15ull >> 32));
                std::vector<std::int16_t> xs, ys;
                for (const Point& a : area.anchors) {
                    xs.push_back(static_cast<std::int16_t>(a.x));
                    ys.push_back(static_cast<std::int16_t>(a.y));
                }
                const auto stored = static_cast<std::int16_t>(xs.size());
                const std::size_t pixels = static_cast<std::size_t>(area.width) * static_cast<std::size_t>(area.height);
                std::vector<std::uint8_t> mask(pixels + 1), expected(pixels + 1);
                WholePoint at = area.start;
                DotKernel(AnchorView{xs.data(), ys.data(), stored, stored}).walk(at, r.data(), n, {mask.data(), area.width, area.height, simd});
                double cx = area.start.x, cy = area.start.y;
                std::size_t i = 0;
                plainPasses(cx, cy, area.anchors, stored, n, [&] { return r[i++]; }, [&](double x, double y) {
                    const double px = std::floor(x / 15), py = std::floor(y / 15);
                    const bool on = px >= 0 && px < area.width && py >= 0 && py < area.height;
                    expected[on ? static_cast<std::size_t>(py * area.width + px) : pixels] = 1;
                });
                EXPECT_EQ(mask, expected);
                EXPECT_EQ(at.x, cx);
                EXPECT_EQ(at.y, cy);
            }
}

} // namespace
} // namespace chaos
