#pragma once

// The boundary between a window and the runtime that shows it. The window
// holds every rule and every text; a runtime (Qt on the desktop, the browser
// in the page) builds the controls from a FormSpec, tells the window what the
// user did through WindowEvents, and does what the window asks through the
// services below. No call blocks: a dialog the window opens (a message, the
// save or the print dialog) returns at once, and its close comes back as
// WindowEvents::dialogClosed. Nothing here knows a toolkit, and nothing here
// knows the window.

#include "platform/input.h"
#include "platform/interfaces.h"
#include "platform/twips.h"

#include <cstdint>
#include <string>

namespace chaos {

// What the user did, told by the runtime. Controls are rows of the FormSpec.
class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    // A mouse press anywhere in the window, before any of its effects.
    virtual void pointerDown() = 0;
    // A press on the surface control, in device pixels of the screen (at the
    // ratio last told by densityChanged) from its drawing area's top-left:
    // fractions kept; outside the area: on the frame.
    virtual void surfaceDown(std::int16_t button, std::int16_t shift, double x, double y) = 0;
    // The device pixel ratio of the screen the window is on (1 at 96 dpi, 2
    // at 192): told once before the window is first shown, and again
    // whenever it changes (another screen, the browser zoomed).
    virtual void densityChanged(double ratio) = 0;
    virtual void clicked(int control) = 0;  // a button
    virtual void chosen(int control) = 0;   // a list's choice changed
    virtual void focusChanged(int control) = 0;  // -1: none of the window's
    // A key on the focused control (-1: the window). True: the window took
    // it, and the toolkit does nothing more with it. `textSelected`: the
    // focused text field has a selection.
    virtual bool keyDown(int control, KeyPress key, bool textSelected) = 0;
    // The window system asks to close the window; true: close it now.
    virtual bool closeRequested() = 0;
    // The dialog the window has open (it opens one at a time) has closed:
    // the message was dismissed, or the save or print dialog is done with
    // (chosen and written, cancelled, or failed: the failure then comes as
    // pictureFailed).
    virtual void dialogClosed() = 0;
    virtual void progressCancelled() = 0;  // Cancel, Esc or closing the progress dialog
    // A picture command did not work: where it wrote ("" for none) and why
    // ("" when the runtime cannot say).
    virtual void pictureFailed(int command, const std::string& where, const std::string& why) = 0;
    // The surface is on screen without its picture (the window was just
    // built, or the runtime lost what it showed): show it again.
    virtual void exposed() = 0;
    virtual void tick() = 0;  // the Scheduler's call
};

// The surface's pixels, as the window hands them to the runtime: `height`
// rows of `width` pixels from the top-left, each pixel red, green, blue and
// 255 in memory. They stay valid, and change only as the window draws, until
// the window hands another picture; its size may differ from one to the next.
// `dpi` is the picture's density: it covers the drawing area, whose size in
// twips is fixed, with width x height pixels at `dpi` pixels to the inch. A
// runtime shows it one pixel per device pixel where the screen has that
// density, and scaled to the drawing area where it has another.
struct Picture {
    const std::uint32_t* pixels;
    int width, height;
    int dpi = kLogicalDpi;
};

// The surface's pixels on screen.
class Screen {
public:
    virtual ~Screen() = default;
    // Shows `picture` now, and whenever the screen needs it, until the next.
    virtual void showPicture(const Picture& picture) = 0;
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
    virtual std::string keyName(const std::string& key, std::int16_t shift) const = 0;
    virtual unsigned offers() const = 0;  // Offer bits
};

// A long draw's progress dialog with a Cancel button.
class ProgressView {
public:
    virtual ~ProgressView() = default;
    // `text` is the line to show, as the window words it; the dialog's size
    // is that of the form's widest line (ShownForm::progressWidest) and stays.
    virtual void show(const std::string& title, const std::string& text, const std::string& cancel) = 0;
    // The line again, and the bar at `done` of `total`.
    virtual void update(const std::string& text, std::uint64_t done, std::uint64_t total) = 0;
    virtual void hide() = 0;
};

// Calls WindowEvents::tick once, soon, from the event loop: after the input
// and painting that are waiting.
class Scheduler {
public:
    virtual ~Scheduler() = default;
    virtual void callSoon() = 0;
    // The same call, after `ms` milliseconds or so.
    virtual void callAfter(double ms) = 0;
};

// A steady clock in milliseconds.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double nowMs() const = 0;
};

// The picture commands, on the picture they are handed (a copy is taken at
// once). A failure comes back as WindowEvents::pictureFailed, at once or later.
// Save and print open a dialog: each returns at once, and tells
// WindowEvents::dialogClosed once the command is over; copy opens none.
class Pictures {
public:
    virtual ~Pictures() = default;
    virtual void save(int command, const std::string& suggestedName, const Picture& picture) = 0;
    virtual void copy(int command, const Picture& picture) = 0;
    // `suggestedName`: the file the print dialog offers for printing to a file.
    virtual void print(int command, const std::string& suggestedName, const Picture& picture) = 0;
};

// The texts a runtime shows in its own dialogs and failures, written by the
// window (window/texts.h) and handed to the runtime when it builds it.
struct RuntimeTexts {
    const char* saveTitle;     // the save dialog's title
    const char* pictureFiles;  // its file type; %1: the patterns ("*.png *.bmp")
    // A name longer than the folder takes: %1 the most bytes, %2 the name's.
    const char* nameTooLong;
    // Why a save or print failed, in the failure's message:
    const char* lossyFormat;  // %1 the suffixes that keep every pixel, as "png, .bmp"; %2 the name's
    const char* noPdf;        // the PDF file could not be made
    const char* printerNotStarted;
    const char* printerNotFinished;
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
    Workers* workers = nullptr;  // the other cores, where the runtime has them
    Messengers* messengers = nullptr;  // the other cores, where they share no memory
};

} // namespace chaos
