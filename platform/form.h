#pragma once

// A window described as data, for a runtime to build with its toolkit: every
// control's kind, place, text and place in the tab order.

#include "platform/interfaces.h"

#include <cstddef>
#include <string>
#include <vector>

namespace chaos {

enum class ControlKind { Surface, Button, CountBox, List, Label };

// One control. Places are twips in the window's client area.
struct ControlSpec {
    const char* name;
    ControlKind kind;
    int left, top, width, height;
    int tabIndex;              // -1: takes no focus (labels)
    const char* text;          // caption, or a count box's text at start
    const char* accessibleName = "";
    int names = -1;            // a label: the row of the control it names; -1 none
    const char* const* items = nullptr;  // a list's items, in order
    std::size_t itemCount = 0;
    const char* widest = "";   // a count box: the widest text it shows whole
};

struct FormSpec {
    const char* caption;
    int width, height;  // the client area, twips
    const ControlSpec* controls;
    std::size_t count;
    int surfaceFrame;   // pixels of frame around a surface's drawing area
    int describedBy;    // the row of the label that describes the surface
};

// A window as the runtime shows it, resolved from its FormSpec by the
// window: places in logical pixels (one CSS pixel, a device pixel at 96 dpi),
// the order to make the controls in (a later one covers an earlier one where
// they overlap), the tab order (its first has the focus at start), the font
// and every text as shown. A runtime makes its widgets from it and adds no
// rule of its own.
struct ShownControl {
    std::string name;
    ControlKind kind;
    int left, top, width, height;  // in the client area
    std::string text, accessibleName;
    int names = -1;                   // a label: the row of the control it names; -1 none
    std::vector<std::string> items;   // a list's, in order
    std::string widest;               // a count box: the widest text it shows whole
};

struct ShownForm {
    std::string caption;
    int width, height;     // the client area
    int fontPixels;        // the controls' font size
    Color frameColor;      // the frames of the surface and the fields
    Color focusColor;      // a frame, where its control has the focus
    int surfaceFrame;      // pixels of frame around a surface's drawing area
    int describedBy;       // the row of the label that describes the surface
    std::vector<ShownControl> controls;  // by row of the FormSpec
    std::vector<int> creation;           // rows, in the order to make them
    std::vector<int> tabbing;            // rows that take the focus, in tab order
    std::string progressWidest;          // the progress dialog's widest line: its size holds it whole
};

} // namespace chaos
