// What the tests of the browser edition read and set in its module, added
// to the test build's module only (chaosgame_test.js): functions of the
// module that take a Program. The shipped page's module has none of them.

#include "platform/web/web_runtime.h"
#include "window/form2.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <cstdint>
#include <string>

namespace {

using chaos::Form2;
using chaos::WindowEvents;
using emscripten::val;

Form2& form(WindowEvents& program) { return dynamic_cast<Form2&>(program); }

// The surface's pixels, as the page is handed them.
val pixels(WindowEvents& program) {
    chaos::RasterSurface& surface = form(program).surface();
    return chaos::WebRuntime::pixels({surface.bits(), surface.pixelWidth(), surface.pixelHeight()});
}
int anchorCount(WindowEvents& program) { return form(program).anchors.count(); }
bool drawing(WindowEvents& program) { return form(program).drawRunning(); }
std::string help(WindowEvents& program) { return form(program).help(); }
// Every draw from now on starts from this seed: the same picture each time.
void reseed(WindowEvents& program, double seed) {
    form(program).fixSeed(static_cast<std::uint64_t>(std::clamp(seed, 0.0, 9007199254740992.0)));
}
// false: the portable code, which draws the same dots.
void useSimd(WindowEvents& program, bool on) { form(program).useSimd(on ? chaos::bestSimd() : chaos::Simd::Portable); }

// The names of the keys the window's key table acts on.
val windowKeys() {
    val names = val::array();
    for (const auto& row : chaos::kKeys)
        if (*row.key)
            names.call<void>("push", std::string(row.key));
    return names;
}

// The facts the page's tests check against, from the code: the drawing
// area, the most dots, the colour list's items and colours ("rrggbb"), and
// the messages, a failure's value written %1.
val facts() {
    using namespace chaos;
    val facts = val::object();
    facts.set("areaWidth", drawingAreaPixels(kForm2Layout[kBox].width));
    facts.set("areaHeight", drawingAreaPixels(kForm2Layout[kBox].height));
    facts.set("mostDots", static_cast<double>(kMaxDots));
    val colors = val::array();
    for (std::size_t row = 0; row < std::size(kColorItems); ++row) {
        char rgb[7];
        const Color c = kColorValues[row];
        std::snprintf(rgb, sizeof rgb, "%02x%02x%02x", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
        val color = val::array();
        color.call<void>("push", std::string(kColorItems[row]));
        color.call<void>("push", std::string(rgb));
        colors.call<void>("push", color);
    }
    facts.set("colors", colors);
    val messages = val::object();
    messages.set("countNotANumber", failureText({Problem::CountNotANumber, "%1"}));
    messages.set("countTooLarge", failureText({Problem::CountTooLarge, "%1"}));
    messages.set("tooManyAnchors", failureText({Problem::TooManyAnchors, ""}));
    messages.set("goodbye", std::string(kGoodbyeText));
    messages.set("ended", std::string(kEndedText));
    messages.set("copyRefused", std::string(kCopyRefusedText));
    facts.set("messages", messages);
    return facts;
}

} // namespace

EMSCRIPTEN_BINDINGS(chaosgame_test_hooks) {
    using emscripten::function;
    function("pixels", &pixels);
    function("anchorCount", &anchorCount);
    function("drawing", &drawing);
    function("help", &help);
    function("reseed", &reseed);
    function("useSimd", &useSimd);
    function("windowKeys", &windowKeys);
    function("keyNamed", &chaos::WebRuntime::keyNamed);
    function("facts", &facts);
}
