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

// The keys a window can act on; every other key is Key::Other. End is no
// key: it follows the last, so that a new key goes before it.
enum class Key : std::uint8_t {
    Other, Left, Right, Up, Down, Space, Return, Enter, Menu, Escape, Tab, F1, F10, C, P, Q, S, End
};

// Whether a runtime's table of its toolkit's keys (pairs of the toolkit's
// key and ours) has every key of ours.
template <class Table>
constexpr bool mapsEveryKey(const Table& table) {
    for (int k = static_cast<int>(Key::Other) + 1; k < static_cast<int>(Key::End); ++k) {
        bool found = false;
        for (const auto& [theirs, ours] : table)
            found = found || ours == static_cast<Key>(k);
        if (!found)
            return false;
    }
    return true;
}

struct KeyPress {
    Key key = Key::Other;
    std::int16_t shift = 0;  // ShiftMask bits and kMeta
    bool repeat = false;    // the key is held and repeats
};

} // namespace chaos
