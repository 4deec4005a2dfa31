#pragma once

#include "facts.h"
#include "platform/errors.h"
#include "platform/fast_random.h"
#include "platform/host.h"
#include "platform/interfaces.h"
#include "platform/raster_surface.h"

#include <cstddef>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace chaos::testing {

// A surface that records every call, with the layout's placement by default.
class FakeSurface : public Surface {
public:
    struct Circle_ { float x, y, radius; Color color; };
    struct Dot { float x, y; Color color; };

    std::vector<Circle_> circles;
    std::vector<Dot> dots;
    std::vector<std::string> calls;  // "Circle", "PSet", "Cls", "Left", ... in order
    float left = kSurfacePlace.left, top = kSurfacePlace.top, width = kSurfacePlace.width, height = kSurfacePlace.height;
    int failCircle = 0;  // throw a control-call error from the n-th Circle (1-based); 0 never

    void Circle(float x, float y, float radius, Color color) override {
        calls.push_back("Circle");
        if (failCircle && static_cast<int>(circles.size()) + 1 == failCircle)
            throw ProgramError(ErrorKind::ControlCall, Problem::Unexpected, "circle failed");
        circles.push_back({x, y, radius, color});
    }
    void PSet(float x, float y, Color color) override {
        if (calls.empty() || calls.back() != "PSet")
            calls.push_back("PSet");
        dots.push_back({x, y, color});
    }
    void Cls() override { calls.push_back("Cls"); }
    float Left() const override { log("Left"); return left; }
    float Top() const override { log("Top"); return top; }
    float Width() const override { log("Width"); return width; }
    float Height() const override { log("Height"); return height; }

private:
    void log(const char* what) const { const_cast<FakeSurface*>(this)->calls.push_back(what); }
};

// Replays a script of values; running past its end is a test failure.
class ScriptedRandom : public RandomSource {
public:
    ScriptedRandom(std::vector<float> script = {}) : script(std::move(script)) {}
    std::vector<float> script;
    std::size_t taken = 0;
    int reseeds = 0;

    void reseed() override { ++reseeds; }
    float next() override {
        if (taken >= script.size())
            throw std::logic_error("the random script ran out after " + std::to_string(taken) + " values");
        return script[taken++];
    }
    // Repeats the script from its start once it runs out, for long draws.
    bool cycle = false;
    float nextCycling() { return script[taken++ % script.size()]; }
    void fill(float* out, std::size_t n) override {
        for (std::size_t i = 0; i < n; ++i)
            out[i] = cycle ? nextCycling() : next();
    }
};

class FakeText : public ControlText {
public:
    explicit FakeText(std::string text = "10000") : text(std::move(text)) {}
    std::string text;
    int reads = 0;
    std::string Text() const override {
        ++const_cast<FakeText*>(this)->reads;
        return text;
    }
};

class FakeMessages : public MessageBox {
public:
    struct Shown { std::string text; MessageKind kind; };
    std::vector<Shown> shown;
    void show(const std::string& text, MessageKind kind) override { shown.push_back({text, kind}); }
};

// A runtime that records what the window asks of it, in order, and answers
// as the test says. Its clock moves on by `msPerReading` at every reading.
class FakeHost : public Screen, public Controls, public FakeMessages, public ProgressView, public Scheduler,
                 public Clock, public Pictures, public ProgramEnd {
public:
    std::vector<std::string> log;
    std::string count = "10000";  // the count box's text
    int row = -1;                 // the colour list's chosen row
    mutable double now = 1000, msPerReading = 0;
    bool soon = false;            // a tick was asked for
    double laterMs = -1;          // a tick was asked for after this long
    std::vector<Mark> marks;
    std::map<std::string, std::string> keyNames;  // what keyName answers for a key; "" for others
    unsigned offered = kQuitKey;            // what offers answers: the Offer bits

    Host host() { return {*this, *this, *this, *this, *this, *this, *this, *this}; }
    Picture lastPicture{};
    void showPicture(const Picture& picture) override {
        lastPicture = picture;
        log.push_back("picture");
    }
    void showMarks(const Mark* m, std::size_t n) override {
        marks.assign(m, m + n);
        log.push_back("marks " + std::to_string(n));
    }
    std::string text(int) const override { return count; }
    int chosenRow(int) const override { return row; }
    void focus(int control) override { log.push_back("focus " + std::to_string(control)); }
    void setBusy(bool busy) override { log.push_back(busy ? "busy" : "not busy"); }
    std::string keyName(const std::string& key, std::int16_t) const override {
        const auto named = keyNames.find(key);
        return named == keyNames.end() ? "" : named->second;
    }
    unsigned offers() const override { return offered; }
    void show(const std::string& text, MessageKind kind) override {
        FakeMessages::show(text, kind);
        log.push_back("message");
    }
    void show(const std::string& title, const std::string& text, const std::string& cancel) override {
        log.push_back("progress " + title + ": " + text + " [" + cancel + "]");
    }
    void update(const std::string& text, std::uint64_t done, std::uint64_t total) override {
        log.push_back("update " + std::to_string(done) + "/" + std::to_string(total) + ": " + text);
    }
    void hide() override { log.push_back("hide"); }
    void callSoon() override { soon = true; }
    void callAfter(double ms) override { laterMs = ms; }
    double nowMs() const override { return now += msPerReading; }
    void save(int, const std::string& name, const Picture&) override { log.push_back("save " + name); }
    void copy(int, const Picture&) override { log.push_back("copy"); }
    void print(int, const std::string& name, const Picture&) override { log.push_back("print " + name); }
    void end() override { log.push_back("end"); }
    // The entries of `log` that start with `prefix`.
    std::vector<std::string> logged(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const auto& entry : log)
            if (entry.rfind(prefix, 0) == 0)
                found.push_back(entry);
        return found;
    }
};

// The window's random sequence, from a fixed seed at every reseed.
class SeededRandom : public RandomSource {
public:
    explicit SeededRandom(std::uint64_t seed) : seed(seed) {}
    void reseed() override { values.seed(seed); }
    float next() override { return values.next(); }
    void fill(float* out, std::size_t n) override { values.fill(out, n); }
    std::optional<std::uint64_t> sequenceSeed() const override { return values.sequenceSeed(); }

private:
    std::uint64_t seed;
    FastRandom values;
};

// A raster surface without its fast way: every dot through PSet.
class PSetOnly : public RasterSurface {
public:
    using RasterSurface::RasterSurface;
    DotMask markDots(Color) override { return {}; }
};

} // namespace chaos::testing
