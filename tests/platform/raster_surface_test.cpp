#include "platform/raster_surface.h"

#include "facts.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include <cmath>
#include <limits>
#include <set>
#include <utility>

namespace chaos {
namespace {

using testing::kAreaHeight;
using testing::kAreaWidth;
using testing::kSurfacePlace;

// The window's surface, at 96 dpi.
RasterSurface makeSurface() { return RasterSurface(kSurfacePlace, kAreaWidth, kAreaHeight); }
// A circle of the tests' own: 5 pixels at 96 dpi.
constexpr float kFivePixels = 5 * kTwipsPerPixel;

int drawnPixels(RasterSurface& s) {
    int n = 0;
    for (int y = 0; y < s.pixelHeight(); ++y)
        for (int x = 0; x < s.pixelWidth(); ++x)
            n += s.pixel(x, y) != RasterSurface::kBackground;
    return n;
}

// A dot marked as a walk marks it: the byte of its pixel, or the byte after
// the last pixel when it is off the area.
void walkDot(RasterSurface& s, int x, int y, Color color) {
    const DotMask mask = s.markDots(color);
    const int px = twipsToPixel(x), py = twipsToPixel(y);
    const bool on = px >= 0 && px < mask.width && py >= 0 && py < mask.height;
    mask.bytes[on ? static_cast<std::size_t>(py) * static_cast<std::size_t>(mask.width) + static_cast<std::size_t>(px)
                  : mask.pixels()] = 1;
}

TEST(TwipsToPixel, EachPixelHoldsFifteenTwips) {
    const std::pair<float, int> table[] = {
        {0.0f, 0}, {14.9f, 0}, {15.0f, 1}, {29.99f, 1}, {30.0f, 2}, {-0.1f, -1}, {-15.0f, -1},
        {-15.1f, -2}, {8264.0f, 550}, {1e30f, kNowhere}, {-1e30f, kNowhere},
        {std::numeric_limits<float>::quiet_NaN(), kNowhere}, {std::numeric_limits<float>::infinity(), kNowhere},
    };
    for (const auto& [twips, pixel] : table)
        EXPECT_EQ(twipsToPixel(twips), pixel) << twips;
}

TEST(TwipsToPixel, WholeTwipsRoundDownLikeFractionalOnes) {
    for (int twips : {0, 1, 14, 15, 16, 29, 30, 8295, 10560, -1, -14, -15, -16, -30, -31})
        EXPECT_EQ(twipsToPixel(twips), twipsToPixel(static_cast<float>(twips))) << twips;
}

// At a density, pixel p holds the twips x with floor(x * dpi / 1440) = p,
// and its first whole twip is ceil(p * 1440 / dpi).
TEST(TwipsToPixel, DevicePixelsFollowTheDensity) {
    struct Case { int dpi, twips, pixel, firstTwip; float fractional; int ofFractional; };
    const Case table[] = {
        {96, 14, 0, 0, 14.99f, 0}, {96, 15, 1, 15, -0.01f, -1}, {192, 7, 0, 0, 7.49f, 0}, {192, 8, 1, 8, 7.5f, 1},
        {192, 15, 2, 15, 22.49f, 2}, {144, 8264, 826, 8260, 8259.9f, 825}, {120, -1, -1, -12, -12.01f, -2},
        {168, 60, 7, 60, 59.99f, 6}, {168, 9, 1, 9, 8.58f, 1}, {288, 4, 0, 0, 5.0f, 1}, {384, 4, 1, 4, 3.74f, 0},
    };
    for (const auto& c : table) {
        EXPECT_EQ(twipsToPixel(c.twips, c.dpi), c.pixel) << c.dpi << ": " << c.twips;
        EXPECT_EQ(pixelToTwips(c.pixel, c.dpi), c.firstTwip) << c.dpi << ": " << c.pixel;
        EXPECT_EQ(twipsToPixel(c.fractional, c.dpi), c.ofFractional) << c.dpi << ": " << c.fractional;
    }
    for (int dpi : {96, 120, 144, 168, 192, 288, 384})  // a pixel's first twip is in it, the one before not
        for (int p = -3; p < 2000; ++p) {
            ASSERT_EQ(twipsToPixel(pixelToTwips(p, dpi), dpi), p) << dpi;
            ASSERT_EQ(twipsToPixel(pixelToTwips(p, dpi) - 1, dpi), p - 1) << dpi;
        }
}

// The picture covers the area in pixels of its density, the area's right
// and bottom edges rounded down; circles are drawn at its resolution, their
// radius the nearest whole pixel; a new density clears it.
TEST(RasterSurface, DrawsInPixelsOfItsDensity) {
    struct Case { int dpi, radius; };
    const Case table[] = {{96, 5}, {120, 6}, {144, 8}, {168, 9}, {192, 10}, {288, 15}};
    RasterSurface s = makeSurface();
    const RasterSurface::Area area{pixelToTwips(s.pixelWidth()), pixelToTwips(s.pixelHeight())};
    s.setDensity(kMaxDpi);
    for (const auto& c : table) {
        SCOPED_TRACE(c.dpi);
        RasterSurface at(kSurfacePlace, area, c.dpi);
        const int width = area.width * c.dpi / kTwipsPerInch, height = area.height * c.dpi / kTwipsPerInch;  // rounded down
        EXPECT_EQ(at.pixelWidth(), width);
        EXPECT_EQ(at.pixelHeight(), height);
        EXPECT_TRUE(at.blank());
        const float centre = static_cast<float>(pixelToTwips(200, c.dpi));
        at.Circle(centre, centre, kFivePixels, 0x0000FF);
        EXPECT_FALSE(at.blank());
        for (auto [x, y] : {std::pair{c.radius, 0}, {0, c.radius}, {-c.radius, 0}, {0, -c.radius}})
            EXPECT_EQ(at.pixel(200 + x, 200 + y), 0xFF0000FFu);
        EXPECT_EQ(at.pixel(200 + c.radius - 1, 200), RasterSurface::kBackground);
        EXPECT_EQ(at.pixel(200 + c.radius + 1, 200), RasterSurface::kBackground);
        // The area's last twip, in the last pixel where the edge is whole.
        at.PSet(static_cast<float>(area.width - 1), static_cast<float>(area.height - 1), 0);
        EXPECT_EQ(at.pixel(width - 1, height - 1), c.dpi % 96 == 0 ? 0xFF000000u : RasterSurface::kBackground);
        s.PSet(1, 1, 0);
        walkDot(s, 600, 600, 0);  // a mark not yet painted goes too
        s.setDensity(c.dpi);
        EXPECT_EQ(s.pixelWidth(), width);
        EXPECT_EQ(s.dpi(), c.dpi);
        EXPECT_TRUE(s.blank());
        EXPECT_EQ(drawnPixels(s), 0);
    }
}

// A pixel's bytes in memory are red, green, blue and 255.
TEST(ToPixel, KeepsRedGreenBlueInOrderAndIsOpaque) {
    const std::pair<Color, std::array<std::uint8_t, 4>> table[] = {
        {0x0000FF, {255, 0, 0, 255}}, {0xFF0000, {0, 0, 255, 255}}, {0x000000, {0, 0, 0, 255}},
        {0xFFFFFF, {255, 255, 255, 255}}, {0xFFFF00, {0, 255, 255, 255}}, {0x00FFFF, {255, 255, 0, 255}},
        {0x12345678, {0x78, 0x56, 0x34, 255}},  // the top byte is ignored
    };
    for (const auto& [color, bytes] : table) {
        const std::uint32_t pixel = toPixel(color);
        std::array<std::uint8_t, 4> inMemory;
        std::memcpy(inMemory.data(), &pixel, 4);
        EXPECT_EQ(inMemory, bytes) << std::hex << color;
    }
}

TEST(RasterSurface, ReportsItsPlacementAndStartsWhite) {
    RasterSurface s = makeSurface();
    EXPECT_EQ(s.Left(), kSurfacePlace.left);
    EXPECT_EQ(s.Top(), kSurfacePlace.top);
    EXPECT_EQ(s.Width(), kSurfacePlace.width);
    EXPECT_EQ(s.Height(), kSurfacePlace.height);
    EXPECT_EQ(drawnPixels(s), 0);
}

TEST(RasterSurface, PSetSetsExactlyOnePixelInTheExactColor) {
    RasterSurface s = makeSurface();
    s.PSet(30.0f, 45.0f, 0x00FFFF);
    EXPECT_EQ(s.pixel(2, 3), 0xFF00FFFFu);
    EXPECT_EQ(drawnPixels(s), 1);
    walkDot(s, 44, 59, 0);  // the same pixel, by a walk
    EXPECT_EQ(s.pixel(2, 3), 0xFF000000u);
    EXPECT_EQ(drawnPixels(s), 1);
}

TEST(RasterSurface, ClipsEverythingOutsideTheDrawingArea) {
    RasterSurface s = makeSurface();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::pair<float, float> outside[] = {
        {-1, 0}, {0, -1}, {kAreaWidth * kTwipsPerPixel, 0}, {0, kAreaHeight * kTwipsPerPixel}, {-14, -14}, {1e9f, 5}, {nan, 5}, {5, inf}, {-inf, 5},
    };
    for (const auto& [x, y] : outside)
        s.PSet(x, y, 0);
    for (const auto& [x, y] : {std::pair{-1, 0}, {-14, 0}, {0, -14}, {kAreaWidth * kTwipsPerPixel, 0}, {0, kAreaHeight * kTwipsPerPixel}})
        walkDot(s, x, y, 0);
    EXPECT_EQ(drawnPixels(s), 0);
    s.PSet(kAreaWidth * kTwipsPerPixel - 1, kAreaHeight * kTwipsPerPixel - 1, 0);
    EXPECT_EQ(s.pixel(kAreaWidth - 1, kAreaHeight - 1), 0xFF000000u);
}

TEST(RasterSurface, CircleIsAOnePixelOutlineOfRadiusFive) {
    RasterSurface s = makeSurface();
    s.Circle(1500.0f, 1500.0f, kFivePixels, 0x0000FF);  // centre pixel (100, 100)
    std::set<std::pair<int, int>> ring;
    for (int y = 90; y <= 110; ++y)
        for (int x = 90; x <= 110; ++x)
            if (s.pixel(x, y) != RasterSurface::kBackground) {
                EXPECT_EQ(s.pixel(x, y), 0xFF0000FFu);
                ring.insert({x - 100, y - 100});
            }
    EXPECT_EQ(drawnPixels(s), static_cast<int>(ring.size()));
    for (const auto& [dx, dy] : ring) {
        const double distance = std::hypot(dx, dy);
        EXPECT_NEAR(distance, 5.0, 0.72) << dx << "," << dy;
    }
    for (const auto& p : {std::pair{5, 0}, {-5, 0}, {0, 5}, {0, -5}, {3, 4}, {-4, -3}})
        EXPECT_TRUE(ring.count(p)) << p.first << "," << p.second;
    EXPECT_FALSE(ring.count({0, 0}));  // not filled
    EXPECT_EQ(ring.size(), 28u);
}

// At every radius each ring pixel lies within half a pixel of the true
// circle, and in each row of the first octant the pixel nearest to it is on
// the ring.
TEST(RasterSurface, CirclesOfEveryRadiusFollowTheTrueCircle) {
    for (int r = 0; r <= 12; ++r) {
        RasterSurface s = makeSurface();
        s.Circle(3007.5f, 3007.5f, static_cast<float>(r * kTwipsPerPixel), 0x0000FF);  // centre pixel (200, 200)
        std::set<std::pair<int, int>> ring;
        for (int y = 180; y <= 220; ++y)
            for (int x = 180; x <= 220; ++x)
                if (s.pixel(x, y) != RasterSurface::kBackground)
                    ring.insert({x - 200, y - 200});
        for (const auto& [dx, dy] : ring)
            EXPECT_LE(std::abs(std::hypot(dx, dy) - r), 0.5) << "radius " << r << ": " << dx << "," << dy;
        for (int dy = 0; dy * dy * 2 <= r * r; ++dy)
            EXPECT_TRUE(ring.count({static_cast<int>(std::lround(std::sqrt(r * r - dy * dy))), dy})) << "radius " << r << ", row " << dy;
    }
}

TEST(RasterSurface, CircleAtTheEdgeIsClippedAndOddCentresDrawNothing) {
    RasterSurface s = makeSurface();
    s.Circle(0, 0, kFivePixels, 0x0000FF);
    EXPECT_EQ(s.pixel(5, 0), 0xFF0000FFu);
    EXPECT_EQ(s.pixel(0, 5), 0xFF0000FFu);
    const int corner = drawnPixels(s);
    EXPECT_GT(corner, 0);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    s.Circle(nan, 100, kFivePixels, 0);
    s.Circle(100, 1e30f, kFivePixels, 0);
    s.Circle(100, 100, nan, 0);
    s.Circle(100, 100, -kFivePixels, 0);
    EXPECT_EQ(drawnPixels(s), corner);
}

TEST(RasterSurface, ClsWipesEverything) {
    RasterSurface s = makeSurface();
    s.Circle(3000, 3000, kFivePixels, 0x0000FF);
    s.PSet(10, 10, 0);
    walkDot(s, 600, 600, 0);
    s.Cls();
    EXPECT_EQ(drawnPixels(s), 0);
}

// Walked dots wait in a mask until the image is read or drawn on; whatever
// the order of drawing, the later drawing lands on top.
TEST(RasterSurface, WalkedDotsLandInTheOrderDrawn) {
    for (Simd simd : simdHere()) {
        RasterSurface s = makeSurface();
        s.useSimd(simd);
        walkDot(s, 30, 30, 0xFF0000);      // pixel (2, 2), blue
        s.PSet(30, 30, 0x00FF00);          // then green over it
        walkDot(s, 45, 45, 0x00FF00);      // pixel (3, 3), green
        walkDot(s, 45, 45, 0x0000FF);      // then red over it
        walkDot(s, kAreaWidth * kTwipsPerPixel - 1, kAreaHeight * kTwipsPerPixel - 1, 0xFFFFFF);  // the last pixel, white
        s.Circle(600, 600, 0, 0xFF0000);   // pixel (40, 40), blue
        walkDot(s, 600, 600, 0);           // then black over it
        EXPECT_EQ(s.pixel(2, 2), 0xFF00FF00u);
        EXPECT_EQ(s.pixel(3, 3), 0xFF0000FFu);
        EXPECT_EQ(s.pixel(40, 40), 0xFF000000u);
        EXPECT_EQ(s.pixel(kAreaWidth - 1, kAreaHeight - 1), 0xFFFFFFFFu);
        EXPECT_EQ(drawnPixels(s), 3);
        walkDot(s, kAreaWidth * kTwipsPerPixel - 1, kAreaHeight * kTwipsPerPixel - 1, 0);  // a mark left after reading still paints
        EXPECT_EQ(s.pixel(kAreaWidth - 1, kAreaHeight - 1), 0xFF000000u);
    }
}

} // namespace
} // namespace chaos
