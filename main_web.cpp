// The browser edition: Form2 on the page's runtime. The page's JavaScript
// makes one Program with an object that does what the window asks (see
// platform/web/web_runtime.h) and tells it what the user does through its
// WindowEvents. The module offers nothing else: what tests read or set, the
// test build adds (tests/web/test_hooks.cpp).

#include "platform/web/web_runtime.h"
#include "core/segmented_draw.h"
#include "window/form2.h"
#include "window/texts.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <initializer_list>
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

    // A worker's answer (web/workers.js): its bytes, none where it failed.
    void answered(int ticket, const val& bytes) { runtime.answered(ticket, bytes); }

    // The form as the page builds it, in one value: the layout, with the
    // drawing area's size in pixels; the texts the page shows of its own; the
    // numbers of the mouse buttons and modifier bits; what touch does; and
    // the printed image's and the download's limits.
    static val form() {
        val form = WebRuntime::describe(description());
        form.set("areaWidth", drawingAreaPixels(kForm2Layout[kBox].width));
        form.set("areaHeight", drawingAreaPixels(kForm2Layout[kBox].height));
        form.set("texts", texts());
        form.set("input", WebRuntime::input());
        form.set("touch", object({{"slop", kTapSlop}, {"longPressMs", kLongPressMs}, {"tap", kTapButton},
                                  {"longPress", kLongPressButton}}));
        form.set("print", object({{"block", kPrintBlock}, {"pixels", kPrintPixels}, {"delayMs", kPrintDelayMs}}));
        form.set("downloadKeptMs", kDownloadKeptMs);
        return form;
    }

private:
    // The texts the page shows of its own: its dialogs' title and button, and
    // the line after Exit.
    static val texts() {
        val texts = val::object();
        texts.set("title", std::string(kTitle));
        texts.set("ok", std::string(kOkText));
        texts.set("ended", std::string(kEndedText));
        return texts;
    }
    static val object(std::initializer_list<std::pair<const char*, double>> fields) {
        val object = val::object();
        for (const auto& [name, value] : fields)
            object.set(name, value);
        return object;
    }
};

// A worker's part: the mask of a draw's segment, for its request; null
// for bytes that are not one. The view is over this copy's memory, valid
// until its next call.
val answerRequest(const val& array) {
    static std::vector<std::uint8_t> mask;
    const std::vector<std::uint8_t> request = WebRuntime::bytesOf(array);
    if (!answerSegment(request.data(), request.size(), mask))
        return val::null();
    return val(emscripten::typed_memory_view(mask.size(), mask.data()));
}

} // namespace
} // namespace chaos

EMSCRIPTEN_BINDINGS(chaosgame) {
    using namespace emscripten;
    using chaos::Program;
    class_<Program, base<chaos::WindowEvents>>("Program")
        .constructor<val>()
        .class_function("form", &Program::form)
        .function("answered", &Program::answered);
    function("answerRequest", &chaos::answerRequest);
}
