#pragma once

// Input as every runtime delivers it to a window: mouse buttons, modifier
// keys and the keys a window acts on, whatever the toolkit calls them.

#include <cstdint>
#include <string>

namespace chaos {

// A mouse press's button, and the modifier mask held: added together.
enum MouseButton : std::int16_t { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };
enum ShiftMask : std::int16_t { kShift = 1, kCtrl = 2, kAlt = 4 };
// Keys only: the platform's other command key (Meta, the Windows key; Ctrl on
// a Mac, where kCtrl is the Command key).
inline constexpr std::int16_t kMeta = 8;

// A key is named as the browser's KeyboardEvent.key names it ("ArrowLeft",
// "Enter", "Escape", "F1", " " for the space bar), a letter in lower case
// ("s", with Shift too), and the keypad's Enter "NumpadEnter". Every runtime
// names its toolkit's keys so; the window's key table decides what they do.
struct KeyPress {
    std::string key;        // its name; "" for a key the runtime cannot name
    std::int16_t shift = 0;  // ShiftMask bits and kMeta
    bool repeat = false;    // the key is held and repeats
};

} // namespace chaos
