// Replays any byte string as events, twice. First on the core: presses with
// any button, modifiers and coordinates (NaN, infinities and huge values
// included), count texts of any bytes, colour choices and clears. After every
// event the anchor store is held to a small model of its own, and every draw
// to its count and colour. One more event draws the anchors from any start
// point with the fast kernel, on every path the CPU has, and dot by dot, and
// holds the pixels to each other.
// Then on the window, Form2, through a runtime of the fuzzer's own: presses,
// keys, count texts, colours, buttons, ticks of the event loop, messages
// dismissed, the progress cancelled, picture commands failed, seeds. Each draw
// it ran, to its end or stopped, is held pixel for pixel to the core's plain
// loop run from the picture, anchors, seed, count and colour it started with.
#include "core/count_text.h"
#include "core/point_cloud.h"
#include "platform/errors.h"
#include "platform/fast_random.h"
#include "platform/raster_surface.h"
#include "window/form2.h"
#include "window/layout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
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
        expect(radius == PointCloud::kMarkerRadius && color == kRed, "circle radius or color");
        ++circles;
    }
    void PSet(float x, float y, Color color) override {
        expect(color == *dotColor, "dot color");
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
    std::optional<std::uint64_t> sequenceSeed() const override { return source.sequenceSeed(); }

private:
    FastRandom source;
    std::uint64_t seeds = 0;
};

// Workers, or messengers, whose jobs wait until the input says which runs
// next: a draw in segments on 1 to 8 cores, replayed without threads. A
// messenger answers as the program's copy does, or fails where the input says.
class HeldWorkers : public Workers, public Messengers {
public:
    explicit HeldWorkers(int workers) : workers(workers) {}
    int count() const override { return workers; }
    void run(std::function<void()> work) override {
        queue.push_back([work = std::move(work)](std::size_t) { work(); });
    }
    void send(std::vector<std::uint8_t> request, std::function<void(const std::uint8_t*, std::size_t)> answered) override {
        queue.push_back([request = std::move(request), answered = std::move(answered)](std::size_t pick) {
            std::vector<std::uint8_t> mask;
            if (pick % 16 == 0 || !answerSegment(request.data(), request.size(), mask))
                return answered(nullptr, 0);
            answered(mask.data(), mask.size());
        });
    }
    void runOne(std::size_t pick) {
        if (queue.empty())
            return;
        const auto at = queue.begin() + static_cast<std::ptrdiff_t>(pick % queue.size());
        auto work = std::move(*at);
        queue.erase(at);
        work(pick >> 4);
    }
    int workers;
    std::deque<std::function<void(std::size_t)>> queue;
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
    explicit PSetOnly(const RasterSurface& picture) : RasterSurface(picture) {}
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
    // The fastest way once more, its draw run in slices of this many passes;
    // and in segments of this many, on this many cores (stopped, it keeps the
    // dots of the passes it says are done: a fourth way, drawn plainly).
    surfaces.push_back(std::make_unique<RasterSurface>(place, area, dpi));
    const std::uint64_t slice = 1 + in.byte() * 37u;
    surfaces.push_back(std::make_unique<RasterSurface>(place, area, dpi));
    const std::uint64_t segment = 1 + in.byte() % 64;
    const std::uint64_t longer = in.byte() % 4 ? 1 : 9;
    HeldWorkers workers(in.byte() % 8);
    const bool messengers = in.byte() % 2;
    const std::uint8_t stopAt = in.byte();  // the advance that stops the draw; past the end, none
    std::uint64_t kept = 0;
    auto drawIn = [&](RasterSurface& surface, CountBox& text, std::function<void(PointCloud&)> run) {
        AnchorStore copy;
        ReplayableRandom random;
        const Color dotColor = 0xFF0000;
        PointCloud cloud(copy, surface, random, text, dotColor);
        if (anchors.count() == 0)
            copy.reset();
        for (std::int32_t k = 1; k <= anchors.count(); ++k)
            cloud.box_MouseDown(kLeftButton, 0, anchors.x(k), anchors.y(k));
        surface.Cls();
        run(cloud);
    };
    for (std::size_t i = 0; i < surfaces.size(); ++i)
        drawIn(*surfaces[i], count, [&](PointCloud& cloud) {
            if (i + 2 < surfaces.size())
                return cloud.box_MouseDown(kRightButton, 0, 0, 0);
            if (i + 2 == surfaces.size()) {
                cloud.press(kRightButton, 0, 0, 0);
                while (cloud.advance(slice)) {
                }
                return;
            }
            messengers ? cloud.useWorkers(static_cast<Messengers*>(&workers), segment * longer)
                       : cloud.useWorkers(static_cast<Workers*>(&workers), segment * longer);
            cloud.press(kRightButton, 0, 0, 0);
            for (std::uint8_t step = 0; cloud.drawing(); ++step) {
                const std::uint64_t shown = cloud.done();
                if (step == stopAt) {
                    cloud.cancel();
                    expect(cloud.done() >= shown, "a stopped draw kept fewer passes than it showed");
                    break;
                }
                workers.runOne(in.byte());
                cloud.advance(1 + in.byte() * 3u);
                expect(cloud.done() >= shown, "a draw's progress went back");
            }
            kept = cloud.done();
        });
    const std::size_t bytes = std::size_t(surfaces[0]->pixelWidth()) * std::size_t(surfaces[0]->pixelHeight()) * 4;
    for (std::size_t i = 1; i + 1 < surfaces.size(); ++i)
        expect(std::memcmp(surfaces[0]->bits(), surfaces[i]->bits(), bytes) == 0, "fast, sliced and plain pixels");
    PSetOnly prefix(place, area, dpi);
    CountBox keptText;
    keptText.text = std::to_string(kept);
    drawIn(prefix, keptText, [](PointCloud& cloud) { cloud.box_MouseDown(kRightButton, 0, 0, 0); });
    expect(std::memcmp(prefix.bits(), surfaces.back()->bits(), bytes) == 0, "pixels drawn in segments");
}

void driveCore(const std::uint8_t* data, std::size_t size) {
    AnchorStore store;
    CountingSurface surface;
    ReplayableRandom random;
    CountBox sel;
    Color dotColor = 0;
    surface.dotColor = &dotColor;
    PointCloud handler(store, surface, random, sel, dotColor);
    Model model;

    constexpr Color kColors[] = {0x0000FF, 0xFF0000, 0x000000, 0xFFFFFF, 0xFFFF00, 0x00FFFF};
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
            dotColor = kColors[in.byte() % 6];
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
}

// A runtime for Form2 that the input drives. Its clock moves on by `stepMs`
// at every reading, so that a long draw goes on in slices of a few passes.
class FuzzHost : public Screen, public Controls, public MessageBox, public ProgressView, public Scheduler,
                 public Clock, public Pictures, public ProgramEnd {
public:
    std::string count = "100";  // the count box's text
    int row = -1;               // the color list's chosen row
    double stepMs = 100;
    int dialogsOpen = 0;  // the window opens one at a time
    unsigned offered = 0;  // Offer bits
    bool progressShown = false, soon = false, ended = false;
    std::deque<int> pictureCommands;  // asked for, not yet answered

    Host host() { return {*this, *this, *this, *this, *this, *this, *this, *this}; }
    void showPicture(const Picture& picture) override {
        expect(picture.pixels && picture.width > 0 && picture.height > 0, "a picture without pixels");
    }
    void showMarks(const Mark*, std::size_t) override {}
    std::string text(int) const override { return count; }
    int chosenRow(int) const override { return row; }
    void focus(int) override {}
    void setBusy(bool) override {}
    std::string keyName(const std::string&, std::int16_t) const override { return ""; }
    unsigned offers() const override { return offered; }
    void show(const std::string& text, MessageKind) override {
        expect(!text.empty(), "an empty message");
        opened();
    }
    void show(const std::string&, const std::string&, const std::string&) override {
        expect(!progressShown, "the progress shown twice");
        progressShown = true;
    }
    void update(const std::string& text, std::uint64_t done, std::uint64_t total) override {
        expect(progressShown && done <= total && !text.empty(), "progress");
    }
    void hide() override {
        expect(progressShown, "the progress hidden while not shown");
        progressShown = false;
    }
    void callSoon() override { soon = true; }
    void callAfter(double) override { soon = true; }
    double nowMs() const override { return now += stepMs; }
    void save(int command, const std::string&, const Picture&) override {
        opened();
        pictureCommands.push_back(command);
    }
    void copy(int command, const Picture&) override { pictureCommands.push_back(command); }
    void print(int command, const std::string&, const Picture&) override {
        opened();
        pictureCommands.push_back(command);
    }
    void end() override { ended = true; }

private:
    void opened() {
        expect(dialogsOpen == 0, "a second dialog opened over the first");
        ++dialogsOpen;
    }
    mutable double now = 0;
};

// What a draw of the window started with.
struct DrawStart {
    RasterSurface picture;  // before the draw
    AnchorStore anchors;
    std::uint64_t seed;
    std::string count;
    Color color;
    std::uint64_t draws;  // Form2::drawsStarted() before it
};

// The reference for the window's draws: the core's plain loop, every dot
// through PSet, on the picture as it was, from the anchors, seed and colour
// the draw started with and `count` as the count box's text. Returns the
// pixels, and leaves in `anchors` what the core keeps of them.
std::vector<std::uint32_t> plainDraw(const DrawStart& start, const std::string& count, AnchorStore& anchors) {
    class Seeded : public RandomSource {
    public:
        explicit Seeded(std::uint64_t seed) : seedValue(seed) {}
        void reseed() override { values.seed(seedValue); }
        float next() override { return values.next(); }
        void fill(float* out, std::size_t n) override { values.fill(out, n); }

    private:
        std::uint64_t seedValue;
        FastRandom values;
    } random(start.seed);
    PSetOnly surface(start.picture);
    CountBox text;
    text.text = count;
    anchors = start.anchors;
    PointCloud cloud(anchors, surface, random, text, start.color);
    try {
        cloud.box_MouseDown(kRightButton, 0, 0, 0);
    } catch (const ProgramError&) {
        // a count the core refuses: the window shows the message and draws nothing
    }
    const std::uint32_t* bits = surface.bits();
    return {bits, bits + static_cast<std::size_t>(surface.pixelWidth()) * static_cast<std::size_t>(surface.pixelHeight())};
}

bool sameStore(const AnchorStore& a, const AnchorStore& b) {
    return a.count() == b.count() && a.stored() == b.stored() &&
           std::equal(a.xs(), a.xs() + a.stored(), b.xs()) && std::equal(a.ys(), a.ys() + a.stored(), b.ys());
}

void driveWindow(const std::uint8_t* data, std::size_t size) {
    Reader in(data, size);
    FuzzHost fake;
    fake.stepMs = 100 + in.byte();
    fake.offered = in.byte() % 2 ? kQuitKey : kTouch | kDownload;
    Form2 form(fake.host());
    const std::vector<Simd> paths = simdHere();
    form.useSimd(paths[in.byte() % paths.size()]);
    std::uint64_t seed = in.word();
    form.fixSeed(seed);
    Color color = 0;  // as the window's own record should have it
    std::optional<DrawStart> started;
    int screenDpi = kLogicalDpi;  // as the window was last told

    while (in.more() && !fake.ended) {
        const std::uint8_t op = in.byte();
        const std::uint64_t drawsBefore = form.drawsStarted();
        const bool wasBusy = form.busy();
        if (!form.drawRunning() && (op % 13 == 0 || op % 13 == 1)) {
            form.surface().bits();  // the picture settled, then kept
            started = DrawStart{form.surface(), form.anchors, seed, fake.count, color, drawsBefore};
        }
        bool mayStop = false;
        switch (op % 13) {
        case 0: {  // a press on the surface, in the screen's device pixels, mostly within its drawing area
            const std::int16_t buttons[] = {kLeftButton, kRightButton, kMiddleButton, 3, 0};
            const std::int16_t button = buttons[in.byte() % 5];
            const auto shift = static_cast<std::int16_t>(in.byte() % 8);
            const int width = twipsToPixel(drawingArea().width, screenDpi), height = twipsToPixel(drawingArea().height, screenDpi);
            const double x = static_cast<int>(in.byte() << 8 | in.byte()) % (width + 8) - 4 + in.byte() / 256.0;
            const double y = static_cast<int>(in.byte() << 8 | in.byte()) % (height + 8) - 4 + in.byte() / 256.0;
            const std::int16_t placed = form.anchors.count();
            form.pointerDown();
            form.surfaceDown(button, shift, x, y);
            if (form.anchors.count() == placed + 1) {  // the anchor lies in the device pixel pressed
                const std::int32_t k = form.anchors.count();
                expect(twipsToPixel(int{form.anchors.x(k)}, screenDpi) == static_cast<int>(std::floor(x)) &&
                           twipsToPixel(int{form.anchors.y(k)}, screenDpi) == static_cast<int>(std::floor(y)),
                       "anchor placed away from the press");
            }
            break;
        }
        case 1: {  // a key, on any control
            const int control = in.byte() % 9 - 1;
            const std::size_t row = in.byte() % (std::size(kKeys) + 1);  // past the rows: a key no row names
            KeyPress key{row < std::size(kKeys) ? kKeys[row].key : "x",
                         static_cast<std::int16_t>(in.byte() % 16), in.byte() % 8 == 0};
            form.keyDown(control, key, in.byte() % 2);
            mayStop = true;  // Esc
            break;
        }
        case 2: {  // the count box's text: any bytes, or a number
            const std::uint8_t kind = in.byte() % 3;
            fake.count = kind == 0 ? in.text() : std::to_string(kind == 1 ? in.byte() : in.word() % 300000);
            break;
        }
        case 3:  // a color chosen
            fake.row = in.byte() % 8 - 1;
            form.chosen(kCol);
            if (!wasBusy)
                color = dotColorOf(fake.row, color);
            break;
        case 4:  // Clear Screen, Exit, or any other control
            form.clicked(in.byte() % 9 - 1);
            break;
        case 5:  // the event loop's calls, as many as were asked for
            for (int i = in.byte() % 16; i >= 0 && fake.soon; --i) {
                fake.soon = false;
                form.tick();
            }
            break;
        case 6:
            if (fake.dialogsOpen > 0) {  // the open dialog closes
                --fake.dialogsOpen;
                form.dialogClosed();
                mayStop = true;  // the goodbye ends the program
            }
            break;
        case 7:
            form.progressCancelled();
            mayStop = true;
            break;
        case 8:  // the oldest picture command fails
            if (!fake.pictureCommands.empty()) {
                const int command = fake.pictureCommands.front();
                fake.pictureCommands.pop_front();
                const std::string where = in.text();
                form.pictureFailed(command, where, in.text());
            }
            break;
        case 9:
            form.focusChanged(in.byte() % 9 - 1);
            break;
        case 10:
            seed = in.word();
            form.fixSeed(seed);
            break;
        case 12: {  // the window on a screen of another density
            const double ratio = 0.5 + in.byte() / 48.0;
            screenDpi = dpiOf(ratio);
            form.densityChanged(ratio);
            break;
        }
        case 11:
            expect(form.closeRequested(), "the window refused to close");
            fake.ended = true;
            mayStop = true;
            break;
        }
        if (!started || form.drawRunning())
            continue;
        if (form.drawsStarted() != started->draws) {  // a draw ran, and is over
            expect(form.drawsStarted() == started->draws + 1, "draws counted");
            // Stopped by this event (not run to its end by its press or a tick): the dots done so far.
            const bool stopped = mayStop && form.drawsStarted() == drawsBefore;
            AnchorStore kept;
            const auto expected = plainDraw(*started, stopped ? std::to_string(form.dotsDone()) : started->count, kept);
            expect(std::memcmp(form.surface().bits(), expected.data(), expected.size() * 4) == 0,
                   "the window's draw and the core's plain loop");
            expect(stopped ? sameStore(form.anchors, started->anchors) : sameStore(form.anchors, kept),
                   "the anchors after a draw");
        }
        started.reset();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    driveCore(data, size);
    driveWindow(data, size);
    return 0;
}
