#include "platform/web/web_runtime.h"

#include "platform/raster_surface.h"

#include <emscripten.h>
#include <emscripten/bind.h>

#include <cctype>
#include <utility>
#include <vector>

namespace chaos {

using emscripten::val;

void WebRuntime::showPicture(const Picture& picture) {
    page.call<void>("showPicture", pixels(picture), picture.width, picture.height, picture.dpi);
}

void WebRuntime::save(int command, const std::string& suggestedName, const Picture& picture) {
    page.call<void>("savePicture", command, suggestedName, pixels(picture), picture.width, picture.height, picture.dpi);
}

void WebRuntime::copy(int command, const Picture& picture) {
    page.call<void>("copyPicture", command, pixels(picture), picture.width, picture.height, picture.dpi);
}

void WebRuntime::print(int command, const std::string&, const Picture& picture) {
    page.call<void>("printPicture", command, pixels(picture), picture.width, picture.height, picture.dpi);
}

void WebRuntime::showMarks(const Mark* marks, std::size_t count) {
    val rows = val::array();
    for (std::size_t i = 0; i < count; ++i) {
        const Mark& m = marks[i];
        val row = val::object();
        row.set("x", m.x);
        row.set("y", m.y);
        row.set("width", m.width);
        row.set("height", m.height);
        row.set("red", m.color & 0xFF);
        row.set("green", (m.color >> 8) & 0xFF);
        row.set("blue", (m.color >> 16) & 0xFF);
        rows.call<void>("push", row);
    }
    page.call<void>("showMarks", rows);
}

void WebRuntime::show(const std::string& text, MessageKind kind) {
    page.call<void>("showMessage", text, std::string(kind == MessageKind::Error ? "error" : "information"));
}

void WebRuntime::send(std::vector<std::uint8_t> request, std::function<void(const std::uint8_t*, std::size_t)> answered) {
    const int ticket = tickets++;
    asked.emplace(ticket, std::move(answered));
    page.call<void>("sendToWorker", ticket, val(emscripten::typed_memory_view(request.size(), request.data())));
}

void WebRuntime::answered(int ticket, const val& array) {
    const auto found = asked.find(ticket);
    if (found == asked.end())
        return;
    const auto answer = std::move(found->second);
    asked.erase(found);
    const std::vector<std::uint8_t> bytes = bytesOf(array);
    answer(bytes.empty() ? nullptr : bytes.data(), bytes.size());
}

std::vector<std::uint8_t> WebRuntime::bytesOf(const val& array) {
    std::vector<std::uint8_t> bytes(array["length"].as<std::size_t>());
    val(emscripten::typed_memory_view(bytes.size(), bytes.data())).call<void>("set", array);
    return bytes;
}

double WebRuntime::nowMs() const {
    return emscripten_get_now();
}

val WebRuntime::pixels(const Picture& picture) {
    const std::size_t bytes = static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) * 4;
    const val view(emscripten::typed_memory_view(bytes, reinterpret_cast<const std::uint8_t*>(picture.pixels)));
    return val::global("Uint8ClampedArray").new_(view["buffer"], view["byteOffset"], view["length"]);
}

namespace {

// A colour as CSS writes it: "#rrggbb".
std::string css(Color color) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string written = "#";
    for (const int shift : {0, 8, 16})
        written += {kHex[(color >> (shift + 4)) & 0xF], kHex[(color >> shift) & 0xF]};
    return written;
}

val array(const std::vector<int>& values) {
    val array = val::array();
    for (const int value : values)
        array.call<void>("push", value);
    return array;
}

val described(const ShownControl& c) {
    static constexpr const char* kKinds[] = {"surface", "button", "countBox", "list", "label"};
    val row = val::object();
    row.set("name", c.name);
    row.set("kind", std::string(kKinds[static_cast<int>(c.kind)]));
    row.set("left", c.left);
    row.set("top", c.top);
    row.set("width", c.width);
    row.set("height", c.height);
    row.set("text", c.text);
    row.set("accessibleName", c.accessibleName);
    row.set("names", c.names);
    row.set("widest", c.widest);
    val items = val::array();
    for (const std::string& item : c.items)
        items.call<void>("push", item);
    row.set("items", items);
    return row;
}

} // namespace

val WebRuntime::describe(const ShownForm& shown) {
    val form = val::object();
    form.set("caption", shown.caption);
    form.set("width", shown.width);
    form.set("height", shown.height);
    form.set("fontPixels", shown.fontPixels);
    form.set("logicalDpi", kLogicalDpi);
    form.set("surfaceFrame", shown.surfaceFrame);
    form.set("frameColor", css(shown.frameColor));
    form.set("focusColor", css(shown.focusColor));
    form.set("describedBy", shown.describedBy);
    val rows = val::array();
    for (const ShownControl& c : shown.controls)
        rows.call<void>("push", described(c));
    form.set("controls", rows);
    form.set("creation", array(shown.creation));
    form.set("tabbing", array(shown.tabbing));
    form.set("progressWidest", shown.progressWidest);
    return form;
}

val WebRuntime::input() {
    val input = val::object();
    for (const auto& [name, value] : {std::pair<const char*, int>{"left", kLeftButton}, {"right", kRightButton},
                                      {"middle", kMiddleButton}, {"shift", kShift}, {"ctrl", kCtrl}, {"alt", kAlt},
                                      {"meta", kMeta}})
        input.set(name, value);
    return input;
}

std::string WebRuntime::keyNamed(const std::string& key, const std::string& code) {
    if (key == "Enter" && code == "NumpadEnter")
        return code;
    // A letter by its key, or where the layout gives another character, by its place.
    const std::string letter = key.size() == 1 ? key : code.size() == 4 && code.rfind("Key", 0) == 0 ? code.substr(3) : "";
    if (letter.size() == 1 && std::isalpha(static_cast<unsigned char>(letter[0])))
        return std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(letter[0]))));
    return key;
}

namespace {

// The window's events, as the page's JavaScript sends them.
bool keyDown(WindowEvents& events, int control, const std::string& key, const std::string& code, int shift, bool repeat,
             bool textSelected) {
    return events.keyDown(control, {WebRuntime::keyNamed(key, code), static_cast<std::int16_t>(shift), repeat}, textSelected);
}

void surfaceDown(WindowEvents& events, int button, int shift, double x, double y) {
    events.surfaceDown(static_cast<std::int16_t>(button), static_cast<std::int16_t>(shift), x, y);
}

// The browser says neither where nor why.
void pictureFailed(WindowEvents& events, int command) {
    events.pictureFailed(command, "", "");
}

} // namespace

} // namespace chaos

EMSCRIPTEN_BINDINGS(chaos_platform) {
    using namespace emscripten;
    using chaos::WindowEvents;
    class_<WindowEvents>("WindowEvents")
        .function("pointerDown", &WindowEvents::pointerDown)
        .function("surfaceDown", &chaos::surfaceDown)
        .function("clicked", &WindowEvents::clicked)
        .function("chosen", &WindowEvents::chosen)
        .function("focusChanged", &WindowEvents::focusChanged)
        .function("keyDown", &chaos::keyDown)
        .function("dialogClosed", &WindowEvents::dialogClosed)
        .function("progressCancelled", &WindowEvents::progressCancelled)
        .function("pictureFailed", &chaos::pictureFailed)
        .function("exposed", &WindowEvents::exposed)
        .function("densityChanged", &WindowEvents::densityChanged)
        .function("tick", &WindowEvents::tick);
    // The density the window takes for a device pixel ratio (kept to 1..4).
    function("dpiOf", &chaos::dpiOf);
}
