// The browser edition's module: the shared tables and texts, and a Session
// that holds one page's state, for the page's JavaScript (embind).

#include "core/anchor_store.h"
#include "core/point_cloud.h"
#include "platform/dispatch.h"
#include "platform/fast_random.h"
#include "platform/raster_surface.h"
#include "window/layout.h"
#include "window/texts.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace chaos {

namespace {

using emscripten::val;

class CountText : public ControlText {
public:
    std::string text = placeOf("sel").text;  // until the page says otherwise
    std::string Text() const override { return text; }
};

// Keeps the message a call raised until the page takes it: a page shows
// its dialogs after the call has returned.
class KeptMessage : public MessageBox {
public:
    std::string text;
    MessageKind kind = MessageKind::Information;
    void show(const std::string& shown, MessageKind shownKind) override {
        text = shown;
        kind = shownKind;
    }
};

// The page's random source: seeded from the clock for each draw, or from one
// fixed seed for tests and the benchmark.
class PageRandom final : public RandomSource {
public:
    FastRandom values;
    std::optional<std::uint64_t> fixedSeed;
    void reseed() override {
        if (fixedSeed)
            values.seed(*fixedSeed);
        else
            values.reseed();
    }
    float next() override { return values.next(); }
    void fill(float* out, std::size_t n) override { values.fill(out, n); }
};

// JavaScript numbers to whole counts: anything that is not a positive number
// counts as none.
std::uint64_t wholeCount(double value) {
    return value > 0 ? static_cast<std::uint64_t>(std::min(value, 9007199254740992.0)) : 0;
}

} // namespace

// One page's program: the anchors, the dot colour, the random source, the
// picture, and the dispatcher that turns any error into a message. While a
// draw runs, everything but advance, cancel and reading is inert, as the
// desktop's controls are.
class Session {
public:
    Session()
        : surface(surfacePlacement(), drawingAreaPixels(surfacePlacement().width),
                  drawingAreaPixels(surfacePlacement().height)) {}

    void setCountText(const std::string& text) { count.text = text; }
    void press(int button, int shift, float x, float y) {
        dispatcher.run([&] {
            cloud.press(static_cast<std::int16_t>(button), static_cast<std::int16_t>(shift), x, y);
        });
    }
    bool drawing() const { return cloud.drawing(); }
    bool advance(double passes) {
        dispatcher.run([&] { cloud.advance(wholeCount(passes)); });
        return cloud.drawing();
    }
    double done() const { return static_cast<double>(cloud.done()); }
    double total() const { return static_cast<double>(cloud.total()); }
    void cancel() { cloud.cancel(); }
    void chooseColour(const std::string& item) {
        if (!drawing())
            dotColor = dotColourOf(item, dotColor);
    }
    void clear() {
        if (!drawing())
            dispatcher.run([&] { surface.Cls(); });
    }
    int width() const { return surface.pixelWidth(); }
    int height() const { return surface.pixelHeight(); }
    int anchorCount() const { return anchors.count(); }
    // Every draw from now on starts from this seed: the same picture each time.
    void reseed(double seed) { random.fixedSeed = wholeCount(seed); }
    // false: the portable code, which gives the same pixels.
    void useSimd(bool on) {
        const Simd choice = on ? bestSimd() : Simd::Portable;
        surface.useSimd(choice);
        random.values.useSimd(choice);
    }

    // The picture as RGBA bytes, in a view of the module's memory.
    val pixels() {
        const std::uint32_t* argb = surface.bits();
        rgba.resize(static_cast<std::size_t>(width()) * static_cast<std::size_t>(height()));
        for (std::size_t i = 0; i < rgba.size(); ++i) {
            const std::uint32_t p = argb[i];  // 0xFFRRGGBB; in memory, R G B A is 0xAABBGGRR
            rgba[i] = (p & 0xFF00FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
        }
        const val bytes(emscripten::typed_memory_view(rgba.size() * 4, reinterpret_cast<std::uint8_t*>(rgba.data())));
        return val::global("Uint8ClampedArray").new_(bytes["buffer"], bytes["byteOffset"], bytes["length"]);
    }

    val takeMessage() {
        val message = val::object();
        message.set("text", messages.text);
        message.set("kind", messages.kind == MessageKind::Error ? "error" : "information");
        messages = KeptMessage();
        return message;
    }

private:
    AnchorStore anchors;
    PageRandom random;
    RasterSurface surface;
    CountText count;
    Color dotColor = 0;  // black until a colour is chosen
    KeptMessage messages;
    Dispatcher dispatcher{messages};
    PointCloud cloud{anchors, surface, random, count, dotColor};
    std::vector<std::uint32_t> rgba;
};

namespace {

val layout() {
    val rows = val::array();
    for (const auto& place : kForm2Layout) {
        val row = val::object();
        row.set("name", std::string(place.name));
        row.set("left", place.left);
        row.set("top", place.top);
        row.set("width", place.width);
        row.set("height", place.height);
        row.set("tabIndex", place.tabIndex);
        row.set("text", std::string(place.text));
        rows.call<void>("push", row);
    }
    return rows;
}

val clientSize() {
    val size = val::object();
    size.set("width", kClientWidth);
    size.set("height", kClientHeight);
    return size;
}

int twipsPerPixel() {
    return kTwipsPerPixel;
}

val colourItems() {
    val items = val::array();
    for (const auto& colour : kDotColours)
        items.call<void>("push", std::string(colour.item));
    return items;
}

std::string text(const std::string& key) {
    const std::pair<const char*, const char*> texts[] = {
        {"title", kTitle}, {"goodbye", kGoodbyeText}, {"ended", kEndedText}, {"progress", kProgressText},
        {"cancel", kCancelText}, {"ok", kOkText}, {"copyRefused", kCopyRefusedText},
        {"surfaceName", kSurfaceName}, {"countName", kCountName}, {"colourName", kColourName},
        {"saveName", kSaveName},
    };
    if (key == "help")
        return helpText(kPage);
    for (const auto& [name, value] : texts)
        if (key == name)
            return value;
    val::global("Error").new_("Chaos Game has no text named \"" + key + "\"").throw_();
    return {};
}

} // namespace

} // namespace chaos

EMSCRIPTEN_BINDINGS(chaosgame) {
    using namespace emscripten;
    using chaos::Session;
    function("layout", &chaos::layout);
    function("clientSize", &chaos::clientSize);
    function("twipsPerPixel", &chaos::twipsPerPixel);
    function("colourItems", &chaos::colourItems);
    function("text", &chaos::text);
    class_<Session>("Session")
        .constructor<>()
        .function("setCountText", &Session::setCountText)
        .function("press", &Session::press)
        .function("drawing", &Session::drawing)
        .function("advance", &Session::advance)
        .function("done", &Session::done)
        .function("total", &Session::total)
        .function("cancel", &Session::cancel)
        .function("chooseColour", &Session::chooseColour)
        .function("clear", &Session::clear)
        .function("width", &Session::width)
        .function("height", &Session::height)
        .function("pixels", &Session::pixels)
        .function("takeMessage", &Session::takeMessage)
        .function("anchorCount", &Session::anchorCount)
        .function("reseed", &Session::reseed)
        .function("useSimd", &Session::useSimd);
}
