#pragma once

// The boundary between a window and the runtime that shows it. The window
// holds every rule; a runtime (Qt on the desktop, the browser in the page)
// builds the controls from a FormSpec, tells the window what the user did
// through WindowEvents, and does what the window asks through the services
// below. Nothing here knows a toolkit, and nothing here knows the window.

#include "platform/input.h"
#include "platform/interfaces.h"

#include <cstdint>
#include <string>

namespace chaos {

// What the user did, told by the runtime. Controls are rows of the FormSpec.
class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    // A mouse press anywhere in the window, before any of its effects.
    virtual void pointerDown() = 0;
    // A press on the surface control, in pixels from its drawing area's
    // top-left (fractions kept; outside the area: on the frame).
    virtual void surfaceDown(std::int16_t button, std::int16_t shift, double x, double y) = 0;
    virtual void clicked(int control) = 0;  // a button
    virtual void chosen(int control) = 0;   // a list's choice changed
    virtual void focusChanged(int control) = 0;  // -1: none of the window's
    // A key on the focused control (-1: the window). True: the window took
    // it, and the toolkit does nothing more with it. `textSelected`: the
    // focused text field has a selection.
    virtual bool keyDown(int control, KeyPress key, bool textSelected) = 0;
    // The window system asks to close the window; true: close it now.
    virtual bool closeRequested() = 0;
    virtual void messageDismissed() = 0;
    virtual void progressCancelled() = 0;  // Cancel, Esc or closing the progress dialog
    // A picture command did not work: where it wrote ("" for none) and why.
    virtual void pictureFailed(int command, const std::string& where, const std::string& why) = 0;
    virtual void tick() = 0;  // the Scheduler's call
};

// The surface's pixels on screen (the runtime reads RasterSurface::bits()).
class Screen {
public:
    virtual ~Screen() = default;
    virtual void showPicture() = 0;
    // Rectangles in drawing-area pixels, painted over the picture and never
    // part of it; `count` 0 for none.
    struct Mark {
        int x, y, width, height;
        Color color;
    };
    virtual void showMarks(const Mark* marks, std::size_t count) = 0;
};

// What a runtime offers beyond the mouse and the keys every runtime has; the
// window offers the keys and the help of what its runtime offers.
enum Offer : unsigned {
    kQuitKey = 1,   // a key that ends the program (browsers keep theirs for themselves)
    kTouch = 2,     // taps and long presses on the surface, as the mouse's buttons
    kDownload = 4,  // a save downloads the picture under its suggested name, asking nothing
};

class Controls {
public:
    virtual ~Controls() = default;
    virtual std::string text(int control) const = 0;  // a count box's
    virtual int chosenRow(int control) const = 0;     // a list's; -1 none
    virtual void focus(int control) = 0;
    // While busy, no control and no command answers the user.
    virtual void setBusy(bool busy) = 0;
    // How the runtime's toolkit writes this key with these modifiers, or ""
    // to keep the window's own name for it.
    virtual std::string keyName(Key key, std::int16_t mods) const = 0;
    virtual unsigned offers() const = 0;  // Offer bits
};

// A long draw's progress dialog with a Cancel button.
class ProgressView {
public:
    virtual ~ProgressView() = default;
    // `text` holds %1 and %2, for the dots done and all of them, written as
    // the user's locale writes numbers.
    virtual void show(const std::string& title, const std::string& text, const std::string& cancel) = 0;
    virtual void update(std::uint64_t done, std::uint64_t total) = 0;
    virtual void hide() = 0;
};

// Calls WindowEvents::tick once, soon, from the event loop: after the input
// and painting that are waiting.
class Scheduler {
public:
    virtual ~Scheduler() = default;
    virtual void callSoon() = 0;
};

// A steady clock in milliseconds.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double nowMs() const = 0;
};

// The picture commands, on the pixels the Screen shows. A failure comes back
// as WindowEvents::pictureFailed, at once or later.
class Pictures {
public:
    virtual ~Pictures() = default;
    virtual void save(int command, const std::string& suggestedName) = 0;
    virtual void copy(int command) = 0;
    virtual void print(int command) = 0;
};

// Everything a runtime offers a window.
struct Host {
    Screen& screen;
    Controls& controls;
    MessageBox& messages;
    ProgressView& progress;
    Scheduler& scheduler;
    Clock& clock;
    Pictures& pictures;
    ProgramEnd& programEnd;
};

} // namespace chaos
