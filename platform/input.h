#pragma once

// Input as every runtime delivers it to a window: mouse buttons, modifier
// keys and the keys a window acts on, whatever the toolkit calls them.

#include <cstdint>

namespace chaos {

// A mouse press's button, and the modifier mask held: added together.
enum MouseButton : std::int16_t { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };
enum ShiftMask : std::int16_t { kShift = 1, kCtrl = 2, kAlt = 4 };
// Keys only: the platform's other command key (Meta, the Windows key; Ctrl on
// a Mac, where kCtrl is the Command key).
inline constexpr std::int16_t kMeta = 8;

// The keys a window can act on; every other key is Key::Other.
enum class Key : std::uint8_t {
    Other, Left, Right, Up, Down, Space, Return, Enter, Menu, Escape, Tab, F1, F10, C, P, Q, S,
};

struct KeyPress {
    Key key = Key::Other;
    std::int16_t mods = 0;  // ShiftMask bits and kMeta
    bool repeat = false;    // the key is held and repeats
};

} // namespace chaos
