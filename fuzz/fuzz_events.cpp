// Replays any byte string as events on the core: presses with any button,
// modifiers and coordinates (NaN, infinities and huge values included),
// count texts of any bytes, colour choices and clears. After every event the
// anchor store is held to a small model of its own, and every draw to its
// count and colour. One more event draws the anchors from any start point
// with the fast kernel, on every path the CPU has, and dot by dot, and holds
// the pixels to each other.
#include "core/count_text.h"
#include "core/point_cloud.h"
#include "platform/errors.h"
#include "platform/fast_random.h"
#include "platform/raster_surface.h"
#include "window/layout.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace chaos;

// The window's drawing surface: its place in twips.
constexpr RasterSurface::Placement kPlace = surfacePlacement();

[[noreturn]] void mismatch(const char* what) {
    std::fprintf(stderr, "model mismatch: %s\n", what);
    std::abort();
}
void expect(bool ok, const char* what) {
    if (!ok)
        mismatch(what);
}

// Counts what is drawn, and checks every dot's colour as it comes.
class CountingSurface : public Surface {
public:
    const Color* dotColor = nullptr;
    std::uint64_t dots = 0;
    std::uint64_t circles = 0;
    void Circle(float, float, float radius, Color color) override {
        expect(radius == 75.0f && color == kRed, "circle radius or colour");
        ++circles;
    }
    void PSet(float x, float y, Color color) override {
        expect(color == *dotColor, "dot colour");
        expect(std::isfinite(x) && std::isfinite(y), "dot position");
        ++dots;
    }
    void Cls() override {}
    float Left() const override { return kPlace.left; }
    float Top() const override { return kPlace.top; }
    float Width() const override { return kPlace.width; }
    float Height() const override { return kPlace.height; }
};

// Reseeds from a counter, so that a run can be replayed.
class ReplayableRandom : public RandomSource {
public:
    void reseed() override { source.seed(++seeds); }
    float next() override { return source.next(); }
    void fill(float* out, std::size_t n) override { source.fill(out, n); }

private:
    FastRandom source;
    std::uint64_t seeds = 0;
};

// Stops every draw after this many dots, so that any count runs quickly.
constexpr std::uint64_t kDotsPerDraw = 65536;

class CountBox : public ControlText {
public:
    std::string text = "10000";
    std::string Text() const override { return text; }
};

// The anchor store, as plainly as it can be kept.
struct Model {
    bool allocated = false;
    int count = 0;
    std::vector<std::pair<int, int>> anchors;

    static std::optional<int> round(float value) {
        const double v = value;
        if (!(v > -32768.5 - 1 && v < 32767.5 + 1))
            return std::nullopt;
        double r = std::floor(v + 0.5);
        if (r - v == 0.5 && std::fmod(r, 2.0) != 0.0)
            r -= 1.0;  // a half goes to the even neighbour
        if (r < -32768.0 || r > 32767.0)
            return std::nullopt;
        return static_cast<int>(r);
    }
    void reset() {
        allocated = true;
        count = 0;
        anchors.assign(1, {0, 0});
    }
    void check(const AnchorStore& store) const {
        expect(store.count() == count, "anchor count");
        expect(store.stored() == static_cast<int>(anchors.size()), "stored anchors");
        expect(allocated == (store.stored() > 0), "allocated");
        for (std::size_t i = 0; i < anchors.size(); ++i) {
            expect(store.x(static_cast<std::int32_t>(i + 1)) == anchors[i].first, "anchor x");
            expect(store.y(static_cast<std::int32_t>(i + 1)) == anchors[i].second, "anchor y");
        }
        if (count > 0)
            expect(static_cast<int>(anchors.size()) == count, "collecting shape");
        else if (allocated)
            expect(anchors.size() == 1 && anchors[0] == std::make_pair(0, 0), "after-draw shape");
    }
};

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}
    bool more() const { return at < size; }
    std::uint8_t byte() { return at < size ? data[at++] : 0; }
    std::uint32_t word() {
        std::uint32_t bits = 0;
        for (int i = 0; i < 4; ++i)
            bits = bits << 8 | byte();
        return bits;
    }
    float real() {
        const std::uint32_t bits = word();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    std::string text() {
        const std::size_t n = byte() % 24;
        std::string s;
        for (std::size_t i = 0; i < n; ++i)
            s += static_cast<char>(byte());
        return s;
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
};

ErrorKind runExpectingError(auto&& call) {
    try {
        call();
    } catch (const ProgramError& error) {
        return error.kind();
    }
    mismatch("an expected error was not raised");
}

void press(PointCloud& handler, Model& model, AnchorStore& store, CountingSurface& surface, const CountBox& sel,
           std::int16_t button, std::int16_t shift, float x, float y) {
    const std::uint64_t circlesBefore = surface.circles;
    const std::uint64_t dotsBefore = surface.dots;
    const bool places = button == kLeftButton && shift != kShift;
    const bool refused = places && model.count == AnchorStore::kMaxAnchors;
    const bool draws = button == kRightButton;

    std::optional<ErrorKind> expected;
    std::uint64_t expectedDots = 0;
    if (places) {
        if (refused) {
            expected = ErrorKind::Overflow;
        } else {
            model.allocated = true;
            ++model.count;
            model.anchors.resize(static_cast<std::size_t>(model.count), {0, 0});
            const auto rx = Model::round(x);
            const auto ry = Model::round(y);
            if (rx)
                model.anchors.back().first = *rx;
            if (rx && ry)
                model.anchors.back().second = *ry;
            if (!rx || !ry)
                expected = ErrorKind::Overflow;
        }
    }
    if (draws) {
        std::uint32_t n = 0;
        try {
            n = dotCount(sel.text);
        } catch (const ProgramError& error) {
            expected = error.kind();
        }
        if (!expected) {
            const bool anyDots = n > 0 && model.allocated;
            expectedDots = anyDots ? std::min<std::uint64_t>(n, kDotsPerDraw) : 0;
            if (!(anyDots && n > kDotsPerDraw))
                model.reset();  // a stopped draw keeps the anchors
        }
    }
    // The press, and at most kDotsPerDraw dots of its draw.
    auto run = [&] {
        handler.press(button, shift, x, y);
        handler.advance(kDotsPerDraw);
        handler.cancel();
    };
    if (expected)
        expect(runExpectingError(run) == *expected, "error kind");
    else
        run();

    expect(surface.circles - circlesBefore == (places && !refused ? 1u : 0u), "circles drawn");
    expect(surface.dots - dotsBefore == expectedDots, "dots drawn");
    model.check(store);
}

// A raster without its fast way: every dot through PSet.
class PSetOnly : public RasterSurface {
public:
    using RasterSurface::RasterSurface;
    DotMask markDots(Color) override { return {}; }
};

void drawBothWays(const AnchorStore& anchors, Reader& in) {
    if (anchors.stored() == 0 || anchors.stored() > 64)
        return;
    // A whole start within the fast way's reach: a 1 x 1 placement there.
    const auto within = [&in] { return static_cast<float>(static_cast<std::int32_t>(in.word()) % kWalkReach); };
    const float left = within(), top = within();
    CountBox count;
    count.text = std::to_string(in.byte() * 4 + in.byte() % 4);
    // At any density from 96 to 384 dpi.
    const int dpi = kMinDpi + in.byte() * (kMaxDpi - kMinDpi) / 255;
    const RasterSurface::Placement place{left, top, 1, 1};
    const RasterSurface::Area area = drawingArea();
    std::vector<std::unique_ptr<RasterSurface>> surfaces;
    surfaces.push_back(std::make_unique<PSetOnly>(place, area, dpi));
    for (Simd simd : simdHere()) {
        surfaces.push_back(std::make_unique<RasterSurface>(place, area, dpi));
        surfaces.back()->useSimd(simd);
    }
    // The fastest way once more, its draw run in slices of this many passes.
    surfaces.push_back(std::make_unique<RasterSurface>(place, area, dpi));
    const std::uint64_t slice = 1 + in.byte() * 37u;
    for (auto& surface : surfaces) {
        AnchorStore copy;
        ReplayableRandom random;
        const Color dotColor = 0xFF0000;
        PointCloud cloud(copy, *surface, random, count, dotColor);
        if (anchors.count() == 0)
            copy.reset();
        for (std::int32_t k = 1; k <= anchors.count(); ++k)
            cloud.box_MouseDown(kLeftButton, 0, anchors.x(k), anchors.y(k));
        surface->Cls();
        if (surface != surfaces.back()) {
            cloud.box_MouseDown(kRightButton, 0, 0, 0);
            continue;
        }
        cloud.press(kRightButton, 0, 0, 0);
        while (cloud.advance(slice)) {
        }
    }
    for (std::size_t i = 1; i < surfaces.size(); ++i)
        expect(std::memcmp(surfaces[0]->bits(), surfaces[i]->bits(), std::size_t(surfaces[0]->pixelWidth()) * std::size_t(surfaces[0]->pixelHeight()) * 4) == 0, "fast, sliced and plain pixels");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    AnchorStore store;
    CountingSurface surface;
    ReplayableRandom random;
    CountBox sel;
    Color dotColor = 0;
    surface.dotColor = &dotColor;
    PointCloud handler(store, surface, random, sel, dotColor);
    Model model;

    constexpr Color kColours[] = {0x0000FF, 0xFF0000, 0x000000, 0xFFFFFF, 0xFFFF00, 0x00FFFF};
    Reader in(data, size);
    while (in.more()) {
        const std::uint8_t op = in.byte();
        switch (op % 7) {
        case 0: {  // a left press, with any modifiers, anywhere
            const auto shift = static_cast<std::int16_t>(in.byte() % 8);
            const float x = in.real();
            press(handler, model, store, surface, sel, kLeftButton, shift, x, in.real());
            break;
        }
        case 1:  // a right press
            press(handler, model, store, surface, sel, kRightButton, static_cast<std::int16_t>(in.byte() % 8), 0, 0);
            break;
        case 2: {  // any other button value
            const auto button = static_cast<std::int16_t>(in.byte() << 8 | in.byte());
            press(handler, model, store, surface, sel, button, static_cast<std::int16_t>(in.byte()), 1, 1);
            break;
        }
        case 3:
            sel.text = in.text();
            break;
        case 4:
            dotColor = kColours[in.byte() % 6];
            break;
        case 5:
            surface.Cls();  // clearing leaves the store alone
            model.check(store);
            break;
        case 6:
            drawBothWays(store, in);
            break;
        }
    }
    return 0;
}
