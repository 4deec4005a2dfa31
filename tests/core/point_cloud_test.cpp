#include "core/point_cloud.h"

#include "expect_error.h"
#include "fakes.h"
#include "platform/errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace chaos {
namespace {

using testing::FakeSurface;
using testing::FakeText;
using testing::ScriptedRandom;

// One handler with its own store, surface, script and count, for table rows.
struct Rig {
    Rig(const Color& dotColor, std::vector<float> values, std::string text)
        : script(std::move(values)), count(std::move(text)), cloud(store, surface, script, count, dotColor) {}
    AnchorStore store;
    FakeSurface surface;
    ScriptedRandom script;
    FakeText count;
    PointCloud cloud;
};

class PointCloudTest : public ::testing::Test {
protected:
    AnchorStore anchors;
    FakeSurface box;
    ScriptedRandom random;
    FakeText sel{"10000"};
    Color dotColor = 0;
    PointCloud handler{anchors, box, random, sel, dotColor};

    // A surface at the window's origin, so that the start point is
    // floor(r1 * 1000), floor(r2 * 1000).
    void placeSurfaceAtOrigin() {
        box.left = box.top = 0;
        box.width = box.height = 1000;
    }
    void leftPress(float x, float y, std::int16_t shift = 0) { handler.box_MouseDown(kLeftButton, shift, x, y); }
    void rightPress(std::int16_t shift = 0) { handler.box_MouseDown(kRightButton, shift, 500, 500); }

};

TEST_F(PointCloudTest, ButtonAndShiftDecideWhatAPressDoes) {
    struct Case { std::int16_t button, shift; bool places, draws; };
    const Case table[] = {
        {kLeftButton, 0, true, false},
        {kLeftButton, kShift, false, false},
        {kLeftButton, kCtrl, true, false},
        {kLeftButton, kAlt, true, false},
        {kLeftButton, kShift | kCtrl, true, false},
        {kLeftButton, kShift | kAlt, true, false},
        {kLeftButton, kShift | kCtrl | kAlt, true, false},
        {kRightButton, 0, false, true},
        {kRightButton, kShift, false, true},
        {kRightButton, kCtrl | kAlt, false, true},
        {kMiddleButton, 0, false, false},
        {kMiddleButton, kShift, false, false},
        {kLeftButton | kRightButton, 0, false, false},
    };
    for (const auto& row : table) {
        Rig rig(dotColor, {0.5f, 0.5f}, "0");
        auto& [store, surface, script, count, cloud] = rig;
        cloud.box_MouseDown(row.button, row.shift, 300.0f, 450.0f);
        SCOPED_TRACE(::testing::Message() << "button " << row.button << " shift " << row.shift);
        EXPECT_EQ(store.count(), row.places ? 1 : 0);
        EXPECT_EQ(surface.circles.size(), row.places ? 1u : 0u);
        EXPECT_EQ(script.reseeds, row.draws ? 1 : 0);
        EXPECT_EQ(store.stored(), row.places || row.draws ? 1 : 0);
    }
}

TEST_F(PointCloudTest, LeftPressMarksTheExactPointAndStoresItRounded) {
    leftPress(100.7f, 200.5f);
    ASSERT_EQ(box.circles.size(), 1u);
    EXPECT_FLOAT_EQ(box.circles[0].x, 100.7f);
    EXPECT_FLOAT_EQ(box.circles[0].y, 200.5f);
    EXPECT_EQ(box.circles[0].radius, testing::kCircleRadius);
    EXPECT_EQ(box.circles[0].color, 0x0000FFu);
    EXPECT_EQ(anchors.x(1), 101);
    EXPECT_EQ(anchors.y(1), 200);
    EXPECT_TRUE(box.dots.empty());
}

TEST_F(PointCloudTest, CirclesStayRedWhateverTheDotColor) {
    dotColor = 0xFF0000;
    leftPress(10, 10);
    EXPECT_EQ(box.circles[0].color, kRed);
}

TEST_F(PointCloudTest, DrawReadsGeometryAndRandomValuesInOrder) {
    leftPress(400, 300);
    box.calls.clear();
    sel.text = "1";
    random.script = {0.25f, 0.5f, 0.0f};
    rightPress();
    const std::vector<std::string> expected = {"Width", "Left", "Height", "Top", "PSet"};
    EXPECT_EQ(box.calls, expected);
    EXPECT_EQ(random.reseeds, 1);
    EXPECT_EQ(random.taken, 3u);
    EXPECT_EQ(sel.reads, 1);
    // start x = floor(0.25 * Width) + Left, start y = floor(0.5 * Height) + Top (whole, on the window's
    // surface); the dot halfway to the anchor, in whole units towards the start
    const int startX = static_cast<int>(std::floor(0.25f * box.width) + box.left);
    const int startY = static_cast<int>(std::floor(0.5f * box.height) + box.top);
    ASSERT_EQ(box.dots.size(), 1u);
    EXPECT_EQ(box.dots[0].x, static_cast<float>(startX + (400 - startX) / 2));
    EXPECT_EQ(box.dots[0].y, static_cast<float>(startY + (300 - startY) / 2));
}

TEST_F(PointCloudTest, FirstDotLandsHalfwayInWholeUnits) {
    struct Case { float startX, startY; float anchorX, anchorY; float dotX, dotY; };
    const Case table[] = {
        {100, 100, 400, 300, 250, 200},
        {-3, 5, 0, 0, -2, 3},
        {1, 1, 0, 0, 1, 1},      // one unit away: stays
        {0, 0, 7, -7, 3, -3},    // quotient cut toward zero
        {0, 0, 1, -1, 0, 0},
        {10, 20, 10, 20, 10, 20},
        {1000, 999, 0, 0, 500, 500},
        {1.5e9f, 0, 0, 0, 7.5e8f, 0},  // whole, but far: moved in double precision
        {0, -1.5e9f, 0, 0, 0, -7.5e8f},
        {0, 0.5f, 0, 10, 0, 5.5f},     // 9.5 rounds to 10, halved to 5
    };
    for (const auto& row : table) {
        Rig rig(dotColor, {0.0f, 0.0f, 0.0f}, "1");
        auto& [store, surface, script, count, cloud] = rig;
        surface.left = row.startX;
        surface.top = row.startY;
        cloud.box_MouseDown(kLeftButton, 0, row.anchorX, row.anchorY);
        cloud.box_MouseDown(kRightButton, 0, 0, 0);
        ASSERT_EQ(surface.dots.size(), 1u);
        EXPECT_EQ(surface.dots[0].x, row.dotX) << row.startX << " -> " << row.anchorX;
        EXPECT_EQ(surface.dots[0].y, row.dotY) << row.startY << " -> " << row.anchorY;
    }
}

TEST_F(PointCloudTest, FractionalStartRoundsTheDifferenceHalfToEven) {
    box.left = 0.5f;  // start x = 0.5: differences 9.5 -> 10, then 4.5 -> 4
    box.top = 0;
    box.width = box.height = 1;
    leftPress(10, 0);
    sel.text = "2";
    random.script = {0.0f, 0.0f, 0.0f, 0.0f};
    rightPress();
    ASSERT_EQ(box.dots.size(), 2u);
    EXPECT_EQ(box.dots[0].x, 5.5f);
    EXPECT_EQ(box.dots[1].x, 7.5f);
}

TEST_F(PointCloudTest, CountThreeDrawsThreeDotsTowardsTheChosenAnchors) {
    placeSurfaceAtOrigin();
    leftPress(0, 0);
    leftPress(1000, 0);
    leftPress(0, 1000);
    sel.text = "3";
    random.script = {0.1f, 0.2f, 0.5f, 0.9f, 0.0f};  // start (100, 200); anchors 2, 3, 1
    rightPress();
    ASSERT_EQ(box.dots.size(), 3u);
    EXPECT_EQ(box.dots[0].x, 550);
    EXPECT_EQ(box.dots[0].y, 100);
    EXPECT_EQ(box.dots[1].x, 275);
    EXPECT_EQ(box.dots[1].y, 550);
    EXPECT_EQ(box.dots[2].x, 138);  // 275 + (0 - 275) \ 2 = 275 - 137
    EXPECT_EQ(box.dots[2].y, 275);
    EXPECT_EQ(random.taken, 5u);
    EXPECT_EQ(anchors.count(), 0);
}

TEST_F(PointCloudTest, AnchorIndexIsFloorOfRTimesCountPlusOne) {
    struct Case { float r; int anchor; };
    const float belowOne = std::nextafter(1.0f, 0.0f);
    const Case table[] = {
        {0.0f, 1}, {0.3333f, 1}, {0.3334f, 2}, {0.6666f, 2}, {0.6667f, 3}, {belowOne, 3},
        // values a faulty source might give still choose a stored anchor
        {1.0f, 3}, {2.5f, 3}, {-0.5f, 1}, {std::numeric_limits<float>::quiet_NaN(), 1},
        {std::numeric_limits<float>::infinity(), 3},
    };
    for (const auto& row : table) {
        Rig rig(dotColor, {0.0f, 0.0f, row.r}, "1");
        auto& [store, surface, script, count, cloud] = rig;
        surface.left = surface.top = 0;
        surface.width = surface.height = 1;
        for (float x : {1000.0f, 2000.0f, 3000.0f})
            cloud.box_MouseDown(kLeftButton, 0, x, 0);
        cloud.box_MouseDown(kRightButton, 0, 0, 0);
        ASSERT_EQ(surface.dots.size(), 1u);
        EXPECT_EQ(surface.dots[0].x, 500.0f * row.anchor) << "r = " << row.r;
    }
}

TEST_F(PointCloudTest, LargestRandomValueChoosesTheLastOfTheMostAnchors) {
    box.left = box.top = 0;
    box.width = box.height = 1;
    for (int i = 0; i < AnchorStore::kMaxAnchors; ++i)
        leftPress(static_cast<float>(i % 1000), static_cast<float>(i / 1000 * 2));
    sel.text = "1";
    random.script = {0.0f, 0.0f, std::nextafter(1.0f, 0.0f)};
    rightPress();
    ASSERT_EQ(box.dots.size(), 1u);
    // anchor 32767 is (32766 % 1000, 32766 / 1000 * 2) = (766, 64)
    EXPECT_EQ(box.dots[0].x, 383);
    EXPECT_EQ(box.dots[0].y, 32);
}

TEST_F(PointCloudTest, ZeroOrNegativeCountDrawsNothingAndStillForgetsTheAnchors) {
    for (const char* text : {"0", "-5", "0.9", "-1e309"}) {
        Rig rig(dotColor, {0.5f, 0.5f}, text);
        auto& [store, surface, script, count, cloud] = rig;
        cloud.box_MouseDown(kLeftButton, 0, 100, 100);
        cloud.box_MouseDown(kRightButton, 0, 0, 0);
        EXPECT_TRUE(surface.dots.empty()) << text;
        EXPECT_EQ(script.taken, 2u) << text;
        EXPECT_EQ(store.count(), 0) << text;
        EXPECT_EQ(store.stored(), 1) << text;
    }
}

TEST_F(PointCloudTest, DrawRightAfterADrawHeadsForTheCorner) {
    placeSurfaceAtOrigin();
    leftPress(500, 500);
    sel.text = "0";
    random.script = {0.1f, 0.1f};
    rightPress();
    sel.text = "3";
    random = ScriptedRandom({0.8f, 0.4f, 0.7f, 0.1f, 0.99f});  // start (800, 400)
    rightPress();
    ASSERT_EQ(box.dots.size(), 3u);
    EXPECT_EQ(box.dots[0].x, 400);
    EXPECT_EQ(box.dots[0].y, 200);
    EXPECT_EQ(box.dots[2].x, 100);
    EXPECT_EQ(box.dots[2].y, 50);
}

TEST_F(PointCloudTest, DefaultDrawPlotsTenThousandDotsInTheDotColorThenForgets) {
    leftPress(600, 700);
    leftPress(7000, 800);
    leftPress(3000, 6500);
    dotColor = 0xFFFF00;
    random.script = {0.3f, 0.6f, 0.1f, 0.5f, 0.9f, 0.35f, 0.7f};
    random.cycle = true;
    random.script.resize(10002, 0.45f);
    rightPress();
    EXPECT_EQ(box.dots.size(), 10000u);
    for (const auto& dot : box.dots)
        ASSERT_EQ(dot.color, 0xFFFF00u);
    EXPECT_EQ(random.taken, 10002u);
    EXPECT_EQ(anchors.count(), 0);
    // every dot after the first few lies within the anchors' bounding box
    for (std::size_t i = 20; i < box.dots.size(); ++i) {
        ASSERT_GE(box.dots[i].x, 599);
        ASSERT_LE(box.dots[i].x, 7000);
        ASSERT_GE(box.dots[i].y, 699);
        ASSERT_LE(box.dots[i].y, 6500);
    }
}

TEST_F(PointCloudTest, RightPressBeforeAnyAnchorDrawsNothingAndLeavesTheAfterDrawShape) {
    random.script = {0.5f, 0.5f};
    rightPress();
    EXPECT_TRUE(box.dots.empty());
    EXPECT_EQ(anchors.count(), 0);
    EXPECT_EQ(anchors.stored(), 1);
    EXPECT_EQ(anchors.x(1), 0);
}

TEST_F(PointCloudTest, CountThatIsNotANumberKeepsTheAnchorsAndDrawsNothing) {
    for (const char* text : {"", "   ", "abc", "12abc", "nan"}) {
        Rig rig(dotColor, {0.5f, 0.5f}, text);
        auto& [store, surface, script, count, cloud] = rig;
        cloud.box_MouseDown(kLeftButton, 0, 100, 100);
        cloud.box_MouseDown(kLeftButton, 0, 200, 100);
        EXPECT_EQ(testing::errorKindOf([&] { rig.cloud.box_MouseDown(kRightButton, 0, 0, 0); }), ErrorKind::TypeMismatch);
        EXPECT_TRUE(surface.dots.empty());
        EXPECT_EQ(store.count(), 2);
        EXPECT_EQ(store.x(2), 200);
    }
}

TEST_F(PointCloudTest, CountAboveTheMaximumKeepsTheAnchorsAndDrawsNothing) {
    leftPress(100, 100);
    sel.text = "2147483648";
    random.script = {0.5f, 0.5f};
    EXPECT_EQ(testing::errorKindOf([&] { rightPress(); }), ErrorKind::Overflow);
    EXPECT_TRUE(box.dots.empty());
    EXPECT_EQ(anchors.count(), 1);
}

TEST_F(PointCloudTest, TheMostAnchorsAreKeptWhenOneMoreIsRefused) {
    for (int i = 0; i < AnchorStore::kMaxAnchors; ++i)
        leftPress(static_cast<float>(i % 500), 10);
    box.circles.clear();
    EXPECT_EQ(testing::errorKindOf([&] { leftPress(1, 1); }), ErrorKind::Overflow);
    EXPECT_TRUE(box.circles.empty());  // the refusal comes before the circle
    EXPECT_EQ(anchors.count(), 32767);
}

TEST_F(PointCloudTest, DrawAfterTheMostAnchorsUsesEveryOne) {
    box.left = box.top = 0;
    box.width = box.height = 1;
    auto anchorAt = [](int i) { return std::pair{i % 1000 * 8, i / 1000 * 200}; };
    for (int i = 0; i < AnchorStore::kMaxAnchors; ++i)
        leftPress(static_cast<float>(anchorAt(i).first), static_cast<float>(anchorAt(i).second));
    EXPECT_EQ(testing::errorKindOf([&] { leftPress(5, 5); }), ErrorKind::Overflow);
    sel.text = std::to_string(AnchorStore::kMaxAnchors);
    random.script = {0.0f, 0.0f};
    for (int j = 0; j < AnchorStore::kMaxAnchors; ++j)  // pass j chooses anchor j + 1
        random.script.push_back((static_cast<float>(j) + 0.5f) / AnchorStore::kMaxAnchors);
    rightPress();
    ASSERT_EQ(box.dots.size(), 32767u);
    int x = 0, y = 0;
    for (int j = 0; j < AnchorStore::kMaxAnchors; ++j) {
        x += (anchorAt(j).first - x) / 2;
        y += (anchorAt(j).second - y) / 2;
        ASSERT_EQ(box.dots[static_cast<std::size_t>(j)].x, x) << "pass " << j;
        ASSERT_EQ(box.dots[static_cast<std::size_t>(j)].y, y) << "pass " << j;
    }
    EXPECT_EQ(anchors.count(), 0);
}

TEST_F(PointCloudTest, FailingCircleKeepsTheGrownStore) {
    box.failCircle = 2;
    leftPress(100, 100);
    EXPECT_EQ(testing::errorKindOf([&] { leftPress(200, 300); }), ErrorKind::ControlCall);
    EXPECT_EQ(anchors.count(), 2);
    EXPECT_EQ(anchors.x(2), 0);
    EXPECT_EQ(anchors.y(2), 0);
}

TEST_F(PointCloudTest, UnusableGeometryIsAFloatingPointError) {
    leftPress(100, 100);
    box.width = std::numeric_limits<float>::infinity();
    random.script = {0.5f, 0.5f};
    EXPECT_EQ(testing::errorKindOf([&] { rightPress(); }), ErrorKind::FloatingPoint);
    EXPECT_EQ(anchors.count(), 1);
}

TEST_F(PointCloudTest, StartTooFarAwayOverflowsOnlyWhenThereAreDots) {
    for (auto [left, top] : {std::pair{3e9f, 240.0f}, std::pair{120.0f, -3e9f}}) {
        Rig rig(dotColor, {0.5f, 0.5f, 0.5f, 0.5f}, "5");
        auto& [store, surface, script, count, cloud] = rig;
        surface.left = left;
        surface.top = top;
        cloud.box_MouseDown(kLeftButton, 0, 100, 100);
        EXPECT_EQ(testing::errorKindOf([&] { rig.cloud.box_MouseDown(kRightButton, 0, 0, 0); }), ErrorKind::Overflow);
        EXPECT_EQ(store.count(), 1);
        count.text = "0";
        script.taken = 0;
        cloud.box_MouseDown(kRightButton, 0, 0, 0);
        EXPECT_EQ(store.count(), 0);
    }
}

// Each block of passes counts its dots, up to all of them.
TEST_F(PointCloudTest, EveryBlockOfDotsIsCounted) {
    leftPress(100, 100);
    sel.text = "20000";
    random.script.assign(20002, 0.5f);
    handler.press(kRightButton, 0, 0, 0);
    std::vector<std::uint64_t> done;
    while (handler.advance(8192))
        done.push_back(handler.done());
    done.push_back(handler.done());
    EXPECT_EQ(done, (std::vector<std::uint64_t>{8192, 16384, 20000}));
    EXPECT_EQ(handler.total(), 20000u);
    EXPECT_EQ(box.dots.size(), 20000u);
}

TEST_F(PointCloudTest, PressesBetweenBlocksNeitherRestartNorPlace) {
    leftPress(100, 100);
    sel.text = "20000";
    random.script.assign(20002, 0.5f);
    handler.press(kRightButton, 0, 0, 0);
    while (handler.advance(8192)) {
        handler.box_MouseDown(kRightButton, 0, 0, 0);
        handler.box_MouseDown(kLeftButton, 0, 50, 50);
    }
    EXPECT_EQ(random.reseeds, 1);
    EXPECT_EQ(box.dots.size(), 20000u);
    EXPECT_EQ(box.circles.size(), 1u);
    EXPECT_EQ(anchors.count(), 0);
}

TEST_F(PointCloudTest, CancelKeepsTheDotsSoFarAndTheAnchors) {
    leftPress(100, 100);
    leftPress(900, 100);
    sel.text = "100000";
    random.script.assign(100002, 0.5f);
    handler.press(kRightButton, 0, 0, 0);
    handler.advance(8192);
    handler.cancel();
    EXPECT_EQ(box.dots.size(), 8192u);
    EXPECT_EQ(handler.done(), 8192u);
    EXPECT_EQ(anchors.count(), 2);
}

// A draw started by press() and advanced in slices of any size gives the
// dots of one right press, and forgets the anchors only after its last pass.
TEST(PointCloudInSlices, GivesTheDotsOfOneRightPress) {
    auto draw = [](std::uint64_t slice, std::vector<testing::FakeSurface::Dot>& dots) {
        AnchorStore store;
        FakeSurface surface;
        ScriptedRandom random({0.3f, 0.6f, 0.1f, 0.5f, 0.9f, 0.35f, 0.7f});
        random.cycle = true;
        FakeText count("20000");
        const Color color = 0xFF0000;
        PointCloud cloud(store, surface, random, count, color);
        for (float x : {600.0f, 7000.0f, 3000.5f})
            cloud.press(kLeftButton, 0, x, 900);
        if (slice == 0) {
            cloud.box_MouseDown(kRightButton, 0, 0, 0);
        } else {
            cloud.press(kRightButton, 0, 0, 0);
            EXPECT_TRUE(surface.dots.empty());
            std::uint64_t slices = 0;
            for (; cloud.drawing(); ++slices) {
                EXPECT_EQ(store.count(), 3);
                const bool more = cloud.advance(slice);
                EXPECT_EQ(more, cloud.drawing());
                EXPECT_EQ(cloud.done(), std::min<std::uint64_t>(slice * (slices + 1), 20000));
            }
            EXPECT_EQ(slices, (20000 + slice - 1) / slice);
        }
        EXPECT_EQ(cloud.total(), 20000u);
        EXPECT_EQ(store.count(), 0);
        EXPECT_EQ(random.taken, 20002u);
        dots = surface.dots;
    };
    std::vector<testing::FakeSurface::Dot> whole, sliced;
    draw(0, whole);
    ASSERT_EQ(whole.size(), 20000u);
    for (std::uint64_t slice : {1u, 999u, 8192u, 20000u, 1000000u}) {
        draw(slice, sliced);
        ASSERT_EQ(sliced.size(), whole.size()) << slice;
        for (std::size_t i = 0; i < whole.size(); ++i)
            ASSERT_TRUE(sliced[i].x == whole[i].x && sliced[i].y == whole[i].y) << "slice " << slice << ", dot " << i;
    }
}

TEST_F(PointCloudTest, SlicedDrawCancelledKeepsItsDotsAndAnchorsAndIgnoresPressesWhileItRuns) {
    leftPress(100, 100);
    leftPress(900, 100);
    sel.text = "1000";
    random.script.assign(1002, 0.5f);
    handler.press(kRightButton, 0, 0, 0);
    EXPECT_TRUE(handler.advance(300));
    handler.press(kLeftButton, 0, 50, 50);   // the surface is inert while a draw runs
    handler.press(kRightButton, 0, 0, 0);
    EXPECT_EQ(box.circles.size(), 2u);
    EXPECT_EQ(random.reseeds, 1);
    handler.cancel();
    EXPECT_FALSE(handler.drawing());
    EXPECT_FALSE(handler.advance(300));
    EXPECT_EQ(box.dots.size(), 300u);
    EXPECT_EQ(handler.done(), 300u);
    EXPECT_EQ(anchors.count(), 2);
}

// A surface that takes marked dots on a 1 x 1 area, counting the blocks it
// was asked to mark; with `failAt`, asking for that block fails.
struct MarkingSurface : FakeSurface {
    int blocks = 0, failAt = 0;
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(2);
    DotMask markDots(Color) override {
        if (++blocks == failAt)
            throw ProgramError(ErrorKind::ControlCall, Problem::Unexpected, "marking failed");
        return {bytes.data(), 1, 1, Simd::Portable};
    }
};

TEST(PointCloudInSlices, AnErrorEndsTheDrawAndKeepsTheAnchors) {
    for (bool sliced : {false, true}) {
        AnchorStore store;
        MarkingSurface surface;
        surface.failAt = 2;
        ScriptedRandom random({0.5f, 0.5f});
        random.cycle = true;
        FakeText count("100000");
        const Color color = 0;
        PointCloud cloud(store, surface, random, count, color);
        cloud.press(kLeftButton, 0, 30, 30);
        auto run = [&] {
            if (!sliced)
                return cloud.box_MouseDown(kRightButton, 0, 0, 0);
            cloud.press(kRightButton, 0, 0, 0);
            while (cloud.advance(5000)) {}
        };
        EXPECT_EQ(testing::errorKindOf(run), ErrorKind::ControlCall) << sliced;
        EXPECT_FALSE(cloud.drawing());
        EXPECT_EQ(store.count(), 1);
    }
}

// The fast way takes whole start points within its reach (2^30 twips);
// any other start goes dot by dot.
TEST(PointCloudFastWay, TakesOnlyWholeStartsWithinReach) {
    struct Case { float left, top; bool fast; };
    const float reach = 1 << 30, beyond = reach + 128;  // the next float past the reach
    const Case table[] = {
        {120, 240, true}, {-reach, reach, true}, {0.5f, 240, false}, {beyond, 0, false}, {0, -beyond, false},
    };
    for (const auto& row : table) {
        MarkingSurface surface;
        surface.left = row.left;
        surface.top = row.top;
        surface.width = surface.height = 1;  // the start is (left, top)
        AnchorStore store;
        ScriptedRandom random({0.5f, 0.5f});
        random.cycle = true;
        FakeText count("10");
        const Color color = 0;
        PointCloud cloud(store, surface, random, count, color);
        cloud.box_MouseDown(kLeftButton, 0, 30, 30);
        cloud.box_MouseDown(kRightButton, 0, 0, 0);
        SCOPED_TRACE(::testing::Message() << row.left << ", " << row.top);
        EXPECT_EQ(surface.blocks, row.fast ? 1 : 0);
        EXPECT_EQ(surface.bytes[1], row.fast ? 1 : 0);  // the dots, all off the 1 x 1 area
        EXPECT_EQ(cloud.done(), 10u);
        EXPECT_EQ(surface.dots.size(), row.fast ? 0u : 10u);
    }
}

} // namespace
} // namespace chaos
