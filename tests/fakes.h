#pragma once

#include "platform/errors.h"
#include "platform/interfaces.h"

#include <cstddef>
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
    float left = 120, top = 240, width = 8295, height = 7215;
    int failCircle = 0;  // throw a control-call error from the n-th Circle (1-based); 0 never

    void Circle(float x, float y, float radius, Color color) override {
        calls.push_back("Circle");
        if (failCircle && static_cast<int>(circles.size()) + 1 == failCircle)
            throw ProgramError(ErrorKind::ControlCall, "circle failed");
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

class FakeEnd : public ProgramEnd {
public:
    int ends = 0;
    void end() override { ++ends; }
};

} // namespace chaos::testing
