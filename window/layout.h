#pragma once

#include "platform/interfaces.h"
#include "platform/raster_surface.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace chaos {

// Form2's client area, in twips (704 x 562 pixels).
inline constexpr int kClientWidth = 10560;
inline constexpr int kClientHeight = 8430;

// Every control of Form2: its place in the client area in twips, its place
// in the tab order (-1 for labels, which take no focus) and its text at start.
struct ControlPlace {
    const char* name;
    int left, top, width, height;
    int tabIndex;
    const char* text;
};

inline constexpr ControlPlace kForm2Layout[] = {
    {"box", 120, 240, 8295, 7215, 0, ""},
    {"Command1", 8880, 3720, 1455, 375, 1, "Clear Screen"},
    {"sel", 8880, 600, 1215, 315, 2, "10000"},
    {"Command2", 8880, 4200, 1455, 375, 3, "Exit"},
    {"Label1", 8880, 360, 1815, 495, -1, "Complexity: (# of dots)"},
    {"col", 8880, 1320, 855, 1425, 5, ""},
    {"Label2", 8880, 1080, 1575, 375, -1, "Choose color of dots"},
    {"Label3", 360, 7800, 5175, 975, -1,
     "Left-Click to select anchor points ( you can select as many as you want)   "
     "Right-Click to draw the midpoints"},
};

// The row of the control with this name.
inline const ControlPlace& placeOf(std::string_view name) {
    for (const auto& place : kForm2Layout)
        if (place.name == name)
            return place;
    throw std::logic_error("no layout for " + std::string(name));
}

// The drawing surface's frame, in pixels on each side; the drawing area is
// what lies inside it.
inline constexpr int kSurfaceFrame = 1;

// The drawing surface's place in the window, in twips.
inline RasterSurface::Placement surfacePlacement() {
    const ControlPlace& box = placeOf("box");
    return {static_cast<float>(box.left), static_cast<float>(box.top), static_cast<float>(box.width),
            static_cast<float>(box.height)};
}

// The pixels of the drawing area across a surface this many twips wide (or high).
inline int drawingAreaPixels(float twips) { return twipsToPixel(twips) - 2 * kSurfaceFrame; }

// The items of the colour list, in order, and the dot colour each sets.
struct DotColour {
    const char* item;
    Color value;
};

inline constexpr DotColour kDotColours[] = {
    {"Red", 0x0000FF}, {"Blue", 0xFF0000}, {"Black", 0x000000},
    {"White", 0xFFFFFF}, {"Cyan", 0xFFFF00}, {"Yellow", 0x00FFFF},
};

// The dot colour that choosing a list item sets: the item's, or `current`
// for a text that is no item's.
constexpr Color dotColourOf(std::string_view item, Color current) {
    for (const auto& colour : kDotColours)
        if (item == colour.item)
            return colour.value;
    return current;
}

} // namespace chaos
