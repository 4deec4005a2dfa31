// The browser edition: Form2 on the page's runtime. The page's JavaScript
// makes one Program with an object that does what the window asks (see
// platform/web/web_runtime.h) and tells it what the user does through its
// WindowEvents.

#include "platform/web/web_runtime.h"
#include "window/form2.h"
#include "window/texts.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <utility>

namespace chaos {
namespace {

using emscripten::val;

struct RuntimeOf {
    WebRuntime runtime;
};

class Program : RuntimeOf, public Form2 {
public:
    explicit Program(val page) : RuntimeOf{WebRuntime(std::move(page))}, Form2(runtime.host()) {}

    val pixels() { return WebRuntime::pixels(surface()); }
    int anchorCount() const { return anchors.count(); }
    bool drawing() const { return drawRunning(); }
    std::string helpText() const { return help(); }
    // Every draw from now on starts from this seed: the same picture each time.
    void reseed(double seed) { fixSeed(static_cast<std::uint64_t>(std::clamp(seed, 0.0, 9007199254740992.0))); }
    // false: the portable code, which draws the same dots.
    void simd(bool on) { useSimd(on ? bestSimd() : Simd::Portable); }

    // The layout, with the drawing area's size in pixels.
    static val form() {
        val form = WebRuntime::describe(description());
        form.set("areaWidth", drawingAreaPixels(kForm2Layout[kBox].width));
        form.set("areaHeight", drawingAreaPixels(kForm2Layout[kBox].height));
        return form;
    }
    // The texts the page shows of its own: its dialogs' title and button, and
    // the line after Exit.
    static val texts() {
        val texts = val::object();
        texts.set("title", std::string(kTitle));
        texts.set("ok", std::string(kOkText));
        texts.set("ended", std::string(kEndedText));
        return texts;
    }
};

} // namespace
} // namespace chaos

EMSCRIPTEN_BINDINGS(chaosgame) {
    using namespace emscripten;
    using chaos::Program;
    class_<Program, base<chaos::WindowEvents>>("Program")
        .constructor<val>()
        .function("pixels", &Program::pixels)
        .function("anchorCount", &Program::anchorCount)
        .function("drawing", &Program::drawing)
        .function("help", &Program::helpText)
        .function("reseed", &Program::reseed)
        .function("useSimd", &Program::simd)
        .class_function("form", &Program::form)
        .class_function("texts", &Program::texts)
        .class_function("input", &chaos::WebRuntime::input);
}
