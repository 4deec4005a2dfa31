#pragma once

#include "platform/form.h"
#include "platform/host.h"

#include <emscripten/val.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace chaos {

// The page's runtime: every service of the Host is a call of the page's
// JavaScript object `page` (web/app.js), which keeps only what a page must
// do in JavaScript: the DOM, the canvas, dialogs, input events and
// scheduling. What the user does reaches the window through the module's
// bound WindowEvents (web_runtime.cpp). A picture reaches the page as its
// pixels (red, green, blue and 255 each, a Uint8ClampedArray over the
// module's memory, valid for that call only), its width, its height and its
// dpi (96 times the device pixel ratio it is made for).
// The page's workers are its Messengers: a request goes to `sendToWorker`
// with a ticket, and the page hands the worker's answer back to answered().
class WebRuntime final : Screen, Controls, MessageBox, ProgressView, Scheduler, Clock, Pictures, ProgramEnd, Messengers {
public:
    explicit WebRuntime(emscripten::val page) : page(std::move(page)) {}

    Host host() {
        Host host{*this, *this, *this, *this, *this, *this, *this, *this};
        host.messengers = this;
        return host;
    }
    // A worker's answer to the request of `ticket`: its bytes (a Uint8Array),
    // none where it failed.
    void answered(int ticket, const emscripten::val& bytes);
    // A Uint8Array's bytes, copied at once: embind's own way to a std::string
    // copies a byte at a time in JavaScript, a millisecond for one mask.
    static std::vector<std::uint8_t> bytesOf(const emscripten::val& array);

    // Screen
    void showPicture(const Picture& picture) override;
    void showMarks(const Mark* marks, std::size_t count) override;
    // Controls
    std::string text(int control) const override { return page.call<std::string>("text", control); }
    int chosenRow(int control) const override { return page.call<int>("chosenRow", control); }
    void focus(int control) override { page.call<void>("focus", control); }
    void setBusy(bool busy) override { page.call<void>("setBusy", busy); }
    // The browser's word for the Enter key; the window's for every other.
    std::string keyName(const std::string& key, std::int16_t shift) const override {
        return key == "Enter" && !shift ? "Enter" : "";
    }
    // What the page offers: touch, and a save that downloads the picture (its
    // browser keeps the quit key for itself).
    unsigned offers() const override { return kTouch | kDownload; }
    // MessageBox
    void show(const std::string& text, MessageKind kind) override;
    // ProgressView
    void show(const std::string& title, const std::string& text, const std::string& cancel) override {
        page.call<void>("showProgress", title, text, cancel);
    }
    void update(const std::string& text, std::uint64_t done, std::uint64_t total) override {
        page.call<void>("updateProgress", text, static_cast<double>(done), static_cast<double>(total));
    }
    void hide() override { page.call<void>("hideProgress"); }
    // Scheduler, Clock
    void callSoon() override { page.call<void>("callSoon"); }
    void callAfter(double ms) override { page.call<void>("callAfter", ms); }
    double nowMs() const override;
    // Pictures (the browser's print dialog offers a name of its own)
    void save(int command, const std::string& suggestedName, const Picture& picture) override;
    void copy(int command, const Picture& picture) override;
    void print(int command, const std::string& suggestedName, const Picture& picture) override;
    // ProgramEnd
    void end() override { page.call<void>("end"); }
    // Messengers
    int count() const override { return page.call<int>("workerCount"); }
    void send(std::vector<std::uint8_t> request,
              std::function<void(const std::uint8_t*, std::size_t)> answered) override;

    // A picture's pixels as the page takes them (valid until the module's
    // memory grows).
    static emscripten::val pixels(const Picture& picture);
    // A ShownForm as the page's JavaScript reads it.
    static emscripten::val describe(const ShownForm& shown);
    // The numbers of the mouse buttons and modifier bits that WindowEvents take.
    static emscripten::val input();
    // The name (platform/input.h) of the key of a DOM KeyboardEvent's `key` and `code`.
    static std::string keyNamed(const std::string& key, const std::string& code);

private:
    emscripten::val page;
    std::map<int, std::function<void(const std::uint8_t*, std::size_t)>> asked;  // by ticket
    int tickets = 0;
};

} // namespace chaos
