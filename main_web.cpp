// The browser edition: Form2 on the page's runtime. The page's JavaScript
// makes one Program with an object that does what the window asks (see
// platform/web/web_runtime.h) and tells it what the user does through its
// WindowEvents. The module offers nothing else: what tests read or set, the
// test build adds (tests/web/test_hooks.cpp).

#include "platform/web/web_runtime.h"
#include "window/form2.h"
#include "window/texts.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

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
        .class_function("form", &Program::form)
        .class_function("texts", &Program::texts)
        .class_function("input", &chaos::WebRuntime::input);
}
