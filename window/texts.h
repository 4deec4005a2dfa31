#pragma once

// The texts that the desktop window and the web page both show, and the
// keys that F1 lists, so that neither front end keeps a copy of its own.

#include <functional>
#include <string>

namespace chaos {

inline constexpr const char* kTitle = "Chaos Game";
inline constexpr const char* kGoodbyeText = "Thank you for drawing with Chaos Game.";
inline constexpr const char* kProgressText = "Drawing dots: %1 of %2";  // dots done, dots asked for
inline constexpr const char* kCancelText = "Cancel";
inline constexpr const char* kSurfaceName = "Drawing surface";
inline constexpr const char* kCountName = "Number of dots";
inline constexpr const char* kColourName = "Dot colour";
inline constexpr const char* kSaveName = "chaos-game.png";  // what a first save suggests

// The page's own: its dialogs' button, the line shown once Exit has ended the
// program, and the message when the browser refuses the clipboard.
inline constexpr const char* kOkText = "OK";
inline constexpr const char* kEndedText = "Chaos Game has ended. Reloading the page starts it again.";
inline constexpr const char* kCopyRefusedText =
    "The browser did not let the picture be copied to the clipboard. Ctrl+S downloads it instead.";

// Which front end a help line is for.
enum Front : unsigned { kDesktop = 1, kPage = 2, kBoth = kDesktop | kPage };

// The commands whose keys the desktop names as its toolkit does, in the
// order the window adds them.
enum class KeyCommand { None = -1, Save, Copy, Print, Help, Quit };

// One line of the keys' help, or one entry continuing the line before.
struct HelpEntry {
    unsigned fronts;
    const char* keys;  // nullptr for a heading, which `does` then is
    const char* does;
    bool sameLine = false;
    KeyCommand command = KeyCommand::None;
};

inline constexpr HelpEntry kHelp[] = {
    {kBoth, nullptr, "Mouse, on the drawing surface:"},
    {kBoth, "Left-click", "place an anchor point (not with Shift alone)"},
    {kBoth, "Right-click", "draw the dots around the anchor points, then forget them"},
    {kPage, nullptr, "Touch, on the drawing surface:"},
    {kPage, "Tap", "place an anchor point"},
    {kPage, "Long press", "draw, as a right-click does"},
    {kBoth, nullptr, "Keys, on the drawing surface:"},
    {kBoth, "Arrow keys", "move the keyboard point one pixel (with Shift, ten)"},
    {kDesktop, "Space or Return", "place an anchor point at the keyboard point"},
    {kPage, "Space or Enter", "place an anchor point at the keyboard point"},
    {kBoth, "Menu or Shift+F10", "draw, as a right-click does"},
    {kBoth, nullptr, "Keys, anywhere:"},
    {kDesktop, "Ctrl+S", "save the picture", false, KeyCommand::Save},
    {kPage, "Ctrl+S", "download the picture (chaos-game.png)"},
    {kBoth, "Ctrl+C", "copy it", true, KeyCommand::Copy},
    {kBoth, "Ctrl+P", "print it", true, KeyCommand::Print},
    {kDesktop, "Tab", "go to the next control"},
    {kDesktop, "Return", "press the focused button", true},
    {kPage, "Tab", "go to the next control"},
    {kPage, "Enter", "press the focused button", true},
    {kBoth, "Esc", "stop a long draw"},
    {kBoth, "F1", "this help", true, KeyCommand::Help},
    {kDesktop, "Ctrl+Q", "quit", true, KeyCommand::Quit},
    {kPage, nullptr, "Browsers keep Ctrl+Q for themselves: close the tab to quit; reloading the page starts again."},
};

// The keys' help for one front end. `keyName` names a command's keys as the
// front end's toolkit does; where it gives "" or is empty, the table's keys
// are shown.
std::string helpText(Front front, const std::function<std::string(KeyCommand)>& keyName = {});

} // namespace chaos
