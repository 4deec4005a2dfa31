#include "platform/qt/qt_keys.h"

#include <QKeySequence>

#include <cctype>
#include <string_view>
#include <utility>

namespace chaos {

namespace {

// The keys whose names are words; a key's first name here is the one it is
// written with (Backtab is Shift+Tab).
constexpr std::pair<int, std::string_view> kNamedKeys[] = {
    {Qt::Key_Left, "ArrowLeft"}, {Qt::Key_Right, "ArrowRight"}, {Qt::Key_Up, "ArrowUp"}, {Qt::Key_Down, "ArrowDown"},
    {Qt::Key_Home, "Home"}, {Qt::Key_End, "End"}, {Qt::Key_PageUp, "PageUp"}, {Qt::Key_PageDown, "PageDown"},
    {Qt::Key_Insert, "Insert"}, {Qt::Key_Delete, "Delete"}, {Qt::Key_Backspace, "Backspace"},
    {Qt::Key_Space, " "}, {Qt::Key_Return, "Enter"}, {Qt::Key_Enter, "NumpadEnter"}, {Qt::Key_Menu, "ContextMenu"},
    {Qt::Key_Escape, "Escape"}, {Qt::Key_Tab, "Tab"}, {Qt::Key_Backtab, "Tab"},
};
constexpr int kFunctionKeys = Qt::Key_F35 - Qt::Key_F1 + 1;

// The window's modifier bits and Qt's.
constexpr std::pair<std::int16_t, Qt::KeyboardModifier> kModifiers[] = {
    {kShift, Qt::ShiftModifier}, {kCtrl, Qt::ControlModifier}, {kAlt, Qt::AltModifier}, {kMeta, Qt::MetaModifier}};

} // namespace

std::string keyNameOf(int qtKey) {
    for (const auto& [qt, name] : kNamedKeys)
        if (qtKey == qt)
            return std::string(name);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F35)
        return "F" + std::to_string(qtKey - Qt::Key_F1 + 1);
    if (qtKey > Qt::Key_Space && qtKey <= Qt::Key_AsciiTilde)  // a character: Qt's letters are capitals
        return std::string(1, static_cast<char>(std::tolower(qtKey)));
    return "";
}

int qtKeyOf(const std::string& name) {
    for (const auto& [qt, named] : kNamedKeys)
        if (name == named)
            return qt;
    if (name.size() > 1 && name[0] == 'F' && name.find_first_not_of("0123456789", 1) == std::string::npos) {
        const int n = std::stoi(name.substr(1));
        return n >= 1 && n <= kFunctionKeys ? Qt::Key_F1 + n - 1 : 0;
    }
    if (name.size() == 1 && name[0] > ' ' && name[0] <= '~')
        return std::toupper(static_cast<unsigned char>(name[0]));
    return 0;
}

std::int16_t shiftOf(Qt::KeyboardModifiers held) {
    std::int16_t shift = 0;
    for (const auto& [bit, qt] : kModifiers)
        if (held & qt)
            shift = static_cast<std::int16_t>(shift | bit);
    return shift;
}

KeyPress keyPressOf(const QKeyEvent& event) {
    return {keyNameOf(event.key()), shiftOf(event.modifiers()), event.isAutoRepeat()};
}

std::string qtKeyText(const std::string& name, std::int16_t shift) {
    const int qt = qtKeyOf(name);
    if (qt == 0)
        return {};
    Qt::KeyboardModifiers held;
    for (const auto& [bit, modifier] : kModifiers)
        if (shift & bit)
            held |= modifier;
    return QKeySequence(QKeyCombination(held, static_cast<Qt::Key>(qt))).toString(QKeySequence::NativeText).toStdString();
}

} // namespace chaos
