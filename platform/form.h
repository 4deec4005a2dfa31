#pragma once

// A window described as data, for a runtime to build with its toolkit: every
// control's kind, place, text and place in the tab order.

#include <cstddef>

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

} // namespace chaos
