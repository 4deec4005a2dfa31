#include "core/anchor_store.h"

#include "expect_error.h"
#include "platform/errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace chaos {
namespace {

void place(AnchorStore& store, float x, float y) {
    store.grow();
    store.setLast(x, y);
}

struct Rounding { float in; std::int16_t out; };

TEST(RoundToInt16, RoundsHalvesToEven) {
    const Rounding table[] = {
        {2.5f, 2}, {3.5f, 4}, {-2.5f, -2}, {-3.5f, -4}, {22.5f, 22}, {37.5f, 38},
        {0.4999f, 0}, {0.5f, 0}, {1.5f, 2}, {-0.5f, 0}, {150.0f, 150}, {7.49f, 7},
        {32767.4f, 32767}, {-32768.4f, -32768}, {32766.5f, 32766}, {-32767.5f, -32768},
    };
    for (const auto& row : table)
        EXPECT_EQ(roundToInt16(row.in), row.out) << row.in;
}

TEST(RoundToInt16, OverflowsOutsideSixteenBits) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double v : {32767.5, 32768.0, -32768.6, 1e9, -1e30, inf, -inf, std::nan("")})
        EXPECT_EQ(testing::errorKindOf([&] { roundToInt16(v); }), ErrorKind::Overflow) << v;
}

TEST(AnchorStore, FreshStoreHasNoAnchorOne) {
    AnchorStore store;
    EXPECT_EQ(store.count(), 0);
    EXPECT_EQ(store.stored(), 0);
    EXPECT_EQ(testing::errorKindOf([&] { store.x(1); }), ErrorKind::Subscript);
    EXPECT_EQ(testing::errorKindOf([&] { store.y(1); }), ErrorKind::Subscript);
}

TEST(AnchorStore, KeepsPlacementsInOrder) {
    AnchorStore store;
    place(store, 150.0f, 300.0f);
    place(store, 600.0f, 900.0f);
    place(store, 795.0f, 225.0f);
    EXPECT_EQ(store.count(), 3);
    const std::int16_t xs[] = {150, 600, 795}, ys[] = {300, 900, 225};
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(store.x(k), xs[k - 1]);
        EXPECT_EQ(store.y(k), ys[k - 1]);
    }
    for (int k : {0, -1, 4, 1000})
        EXPECT_EQ(testing::errorKindOf([&] { store.x(k); }), ErrorKind::Subscript) << k;
}

TEST(AnchorStore, StoresRoundedCoordinates) {
    AnchorStore store;
    place(store, 22.5f, 37.5f);
    EXPECT_EQ(store.x(1), 22);
    EXPECT_EQ(store.y(1), 38);
}

TEST(AnchorStore, GrowAddsAZeroAnchorUntilSet) {
    AnchorStore store;
    place(store, 10.0f, 20.0f);
    store.grow();
    EXPECT_EQ(store.count(), 2);
    EXPECT_EQ(store.x(2), 0);
    EXPECT_EQ(store.y(2), 0);
    EXPECT_EQ(store.x(1), 10);
}

TEST(AnchorStore, ResetLeavesOneZeroAnchor) {
    AnchorStore store;
    place(store, 150.0f, 300.0f);
    place(store, 600.0f, 900.0f);
    store.reset();
    EXPECT_EQ(store.count(), 0);
    EXPECT_EQ(store.stored(), 1);
    EXPECT_EQ(store.x(1), 0);
    EXPECT_EQ(store.y(1), 0);
    EXPECT_EQ(testing::errorKindOf([&] { store.x(2); }), ErrorKind::Subscript);
}

TEST(AnchorStore, ResetOfAFreshStoreAllocatesOneAnchor) {
    AnchorStore store;
    store.reset();
    EXPECT_EQ(store.stored(), 1);
    EXPECT_EQ(store.x(1), 0);
}

TEST(AnchorStore, PlacementAfterResetStartsAFreshSet) {
    AnchorStore store;
    place(store, 150.0f, 300.0f);
    store.reset();
    place(store, 45.0f, 60.0f);
    EXPECT_EQ(store.count(), 1);
    EXPECT_EQ(store.stored(), 1);
    EXPECT_EQ(store.x(1), 45);
    EXPECT_EQ(store.y(1), 60);
}

TEST(AnchorStore, TheAnchorAfterTheLastAllowedOverflowsAndKeepsTheRest) {
    AnchorStore store;
    for (int i = 0; i < AnchorStore::kMaxAnchors; ++i)
        place(store, static_cast<float>(i % 500), static_cast<float>(i / 500));
    EXPECT_EQ(store.count(), 32767);
    EXPECT_EQ(testing::errorKindOf([&] { store.grow(); }), ErrorKind::Overflow);
    EXPECT_EQ(store.count(), 32767);
    EXPECT_EQ(store.stored(), 32767);
    EXPECT_EQ(store.x(32767), 32766 % 500);
    EXPECT_EQ(store.y(32767), 32766 / 500);
}

TEST(AnchorStore, OverflowingCoordinateLeavesItsZero) {
    struct Case { float x, y; std::int16_t storedX, storedY; };
    const Case table[] = {
        {40000.0f, 5.0f, 0, 0},   // x overflows: neither is written
        {5.0f, -40000.0f, 5, 0},  // y overflows: x is already written
        {std::nanf(""), 5.0f, 0, 0},
    };
    for (const auto& row : table) {
        AnchorStore store;
        place(store, 1.0f, 2.0f);
        store.grow();
        EXPECT_EQ(testing::errorKindOf([&] { store.setLast(row.x, row.y); }), ErrorKind::Overflow);
        EXPECT_EQ(store.count(), 2);
        EXPECT_EQ(store.x(2), row.storedX);
        EXPECT_EQ(store.y(2), row.storedY);
        EXPECT_EQ(store.x(1), 1);
    }
}

} // namespace
} // namespace chaos
