#pragma once

// Form2 as data: every control's kind, place in twips, tab order and text,
// the colour list's items, and the surface's frame. Both runtimes build the
// window from this table.

#include "core/count_text.h"
#include "platform/form.h"
#include "platform/input.h"
#include "platform/interfaces.h"
#include "platform/raster_surface.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>

namespace chaos {

// Form2's client area, in twips (704 x 562 pixels).
inline constexpr int kClientWidth = 10560;
inline constexpr int kClientHeight = 8430;

// The items of the colour list, in order, and the dot colour of each row.
inline constexpr const char* kColorItems[] = {"Red", "Blue", "Black", "White", "Cyan", "Yellow"};
inline constexpr Color kColorValues[] = {kRed, 0xFF0000, 0x000000, 0xFFFFFF, 0xFFFF00, 0x00FFFF};
static_assert(std::size(kColorItems) == std::size(kColorValues));

// A number's decimal digits, as a constant text.
template <std::uint64_t N>
constexpr auto digitsOf() {
    constexpr std::size_t length = [] {
        std::size_t digits = 1;
        for (std::uint64_t n = N; n >= 10; n /= 10)
            ++digits;
        return digits;
    }();
    std::array<char, length + 1> text{};
    std::uint64_t n = N;
    for (std::size_t i = length; i-- > 0; n /= 10)
        text[i] = static_cast<char>('0' + n % 10);
    return text;
}
// The count box's widest text: the most dots.
inline constexpr auto kMaxDotsText = digitsOf<kMaxDots>();

// The rows of the table, by control.
enum ControlRow : int { kBox, kCommand1, kSel, kCommand2, kLabel1, kCol, kLabel2, kLabel3, kNoControl = -1 };

inline constexpr ControlSpec kForm2Layout[] = {
    {"box", ControlKind::Surface, 120, 240, 8295, 7215, 0, "", "Drawing surface"},
    {"Command1", ControlKind::Button, 8880, 3720, 1455, 375, 1, "Clear Screen", "Clear Screen"},
    {"sel", ControlKind::CountBox, 8880, 600, 1215, 315, 2, "10000", "Number of dots", -1, nullptr, 0,
     kMaxDotsText.data()},
    {"Command2", ControlKind::Button, 8880, 4200, 1455, 375, 3, "Exit", "Exit"},
    {"Label1", ControlKind::Label, 8880, 360, 1815, 495, -1, "Complexity: (# of dots)", "", kSel},
    {"col", ControlKind::List, 8880, 1320, 855, 1425, 5, "", "Dot colour", -1, kColorItems, std::size(kColorItems)},
    {"Label2", ControlKind::Label, 8880, 1080, 1575, 375, -1, "Choose color of dots", "", kCol},
    {"Label3", ControlKind::Label, 360, 7800, 5175, 975, -1,
     "Left-Click to select anchor points ( you can select as many as you want)   "
     "Right-Click to draw the midpoints"},
};

// The drawing surface's frame, in pixels on each side; the drawing area is
// what lies inside it.
inline constexpr int kSurfaceFrame = 1;

inline constexpr FormSpec kForm2{"Form2", kClientWidth, kClientHeight, kForm2Layout, std::size(kForm2Layout),
                                 kSurfaceFrame, kLabel3};

// The controls' font size, in pixels.
inline constexpr int kFontPixels = 10;
// The colours of the controls' frames, and of the frame of the control that
// has the focus.
inline constexpr Color kFrameColor = 0xB8B8B8, kFocusColor = 0xC68C30;

// The form as a runtime shows it: in pixels, made labels first (so that the
// controls they reach over cover them), then in tab order.
ShownForm shownForm(const FormSpec& form);

// The drawing surface's place in the window, in twips.
inline constexpr RasterSurface::Placement surfacePlacement() {
    const ControlSpec& box = kForm2Layout[kBox];
    return {static_cast<float>(box.left), static_cast<float>(box.top), static_cast<float>(box.width),
            static_cast<float>(box.height)};
}

// The pixels of the drawing area across a surface this many twips wide (or high).
inline constexpr int drawingAreaPixels(int twips) { return twipsToPixel(twips) - 2 * kSurfaceFrame; }
// The drawing area of the window's surface in twips, whatever the density.
inline constexpr RasterSurface::Area drawingArea() {
    return {pixelToTwips(drawingAreaPixels(kForm2Layout[kBox].width)), pixelToTwips(drawingAreaPixels(kForm2Layout[kBox].height))};
}

// Touch on the drawing surface, where the runtime offers it (kTouch): a
// finger lifted before it moved more than kTapSlop pixels (of the page, not
// the screen) is a tap, a press of kTapButton where it went down; one held
// kLongPressMs without moving so far, or that the browser offers its context
// menu for first, is a press of kLongPressButton there.
inline constexpr int kTapSlop = 10;
inline constexpr int kLongPressMs = 600;
inline constexpr std::int16_t kTapButton = kLeftButton, kLongPressButton = kRightButton;

// The page's printed picture: each pixel a block of up to kPrintBlock x
// kPrintBlock image pixels, the image within kPrintPixels (what every engine
// holds); made again once the picture has not changed for kPrintDelayMs.
inline constexpr int kPrintBlock = 4;
inline constexpr double kPrintPixels = 10e6;
inline constexpr int kPrintDelayMs = 300;
// How long a download's file stays for the browser to fetch.
inline constexpr int kDownloadKeptMs = 60000;

// The dot colour that choosing a row of the colour list sets: the row's, or
// `current` for no row.
constexpr Color dotColorOf(int row, Color current) {
    return row >= 0 && static_cast<std::size_t>(row) < std::size(kColorValues) ? kColorValues[row] : current;
}

} // namespace chaos
