#pragma once

// Qt's keys by the names the window knows them by (platform/input.h).

#include "platform/input.h"

#include <QKeyEvent>

#include <string>

namespace chaos {

// The name of a Qt key; "" for one that has none.
std::string keyNameOf(int qtKey);
// The Qt key of a name; 0 for none.
int qtKeyOf(const std::string& name);
// The ShiftMask bits and kMeta of Qt's modifiers.
std::int16_t shiftOf(Qt::KeyboardModifiers held);
// A key event as the window takes it.
KeyPress keyPressOf(const QKeyEvent& event);
// How Qt writes the key of a name with the ShiftMask bits `shift` held
// ("Ctrl+S"); "" for a name Qt has no key for.
std::string qtKeyText(const std::string& name, std::int16_t shift);

} // namespace chaos
