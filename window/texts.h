#pragma once

// Every text the window shows, in both front ends, and its keys: the key map
// that the window acts on and the F1 help built from it.

#include "platform/host.h"
#include "platform/input.h"

#include <cstdint>
#include <functional>
#include <string>

namespace chaos {

inline constexpr const char* kTitle = "Chaos Game";
inline constexpr const char* kGoodbyeText = "Thank you for drawing with Chaos Game.";
inline constexpr const char* kProgressText = "Drawing dots: %1 of %2";  // dots done, dots asked for
inline constexpr const char* kCancelText = "Cancel";
inline constexpr const char* kSaveName = "chaos-game.png";   // what a first save suggests
inline constexpr const char* kPrintName = "chaos-game.pdf";  // what printing to a file suggests
// A picture command that failed: %1 where it wrote, %2 why.
inline constexpr const char* kSaveFailedText = "Could not save the picture in \"%1\": %2. The picture is still here.";
inline constexpr const char* kPrintFailedText = "Could not print the picture: %2.";
inline constexpr const char* kPrintToFileFailedText =
    "Could not print the picture to \"%1\": %2. The picture is still here.";
inline constexpr const char* kCopyRefusedText =
    "The browser did not let the picture be copied to the clipboard. Ctrl+S downloads it instead.";
// A download the browser could not make the picture file for.
inline constexpr const char* kDownloadFailedText =
    "The browser could not make the picture into a file to download. The picture is still here.";

// What the runtimes' own dialogs and their reasons for a failure say, handed
// to a runtime when it builds the window.
inline constexpr RuntimeTexts kRuntimeTexts{
    .saveTitle = "Save Picture",
    .pictureFiles = "Pictures (%1)",
    .nameTooLong = "This name is too long: a name can have at most %1 bytes here, this one has %2.",
    .lossyFormat = "only .%1 files keep every pixel of the picture, .%2 files do not",
    .noPdf = "the PDF file could not be made",
    .printerNotStarted = "the printer could not be started",
    .printerNotFinished = "the printer did not finish the page",
};

// The page's own: its dialogs' button, and the line shown once Exit has ended
// the program.
inline constexpr const char* kOkText = "OK";
inline constexpr const char* kEndedText = "Chaos Game has ended. Reloading the page starts it again.";

// Which front end a command, key or help line is for.
enum Front : unsigned { kDesktop = 1, kPage = 2, kBoth = kDesktop | kPage };

// The window's commands, with their keys; each front end offers those of its
// own (browsers keep Ctrl+Q for themselves).
enum class Command { Save, Copy, Print, Help, Quit };
struct CommandKey {
    Command command;
    Key key;
    std::int16_t mods;
    unsigned fronts;
};
inline constexpr CommandKey kCommands[] = {
    {Command::Save, Key::S, kCtrl, kBoth}, {Command::Copy, Key::C, kCtrl, kBoth},
    {Command::Print, Key::P, kCtrl, kBoth}, {Command::Help, Key::F1, 0, kBoth},
    {Command::Quit, Key::Q, kCtrl, kDesktop},
};

// The keys on the drawing surface, at the keyboard point.
enum class PointAction { Move, Place, Draw };
enum class Mods { Plain, ShiftAlone, Any };  // Plain: nothing but Shift; ShiftAlone: exactly Shift
struct SurfaceKey {
    Key key;
    Mods mods;
    PointAction action;
    int dx = 0, dy = 0;  // a move's direction
};
inline constexpr SurfaceKey kSurfaceKeys[] = {
    {Key::Left, Mods::Plain, PointAction::Move, -1, 0}, {Key::Right, Mods::Plain, PointAction::Move, 1, 0},
    {Key::Up, Mods::Plain, PointAction::Move, 0, -1},   {Key::Down, Mods::Plain, PointAction::Move, 0, 1},
    {Key::Space, Mods::Plain, PointAction::Place},      {Key::Return, Mods::Plain, PointAction::Place},
    {Key::Enter, Mods::Plain, PointAction::Place},      {Key::Menu, Mods::Any, PointAction::Draw},
    {Key::F10, Mods::ShiftAlone, PointAction::Draw},
};
inline constexpr int kKeyStep = 1;        // pixels an arrow key moves the keyboard point
inline constexpr int kShiftKeyStep = 10;  // with Shift held

// One line of the keys' help, or one entry continuing the line before.
struct HelpEntry {
    unsigned fronts;
    const char* keys;  // nullptr for a heading, which `does` then is
    const char* does;
    bool sameLine = false;
    int command = -1;  // a Command whose keys the front end names as its toolkit does
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
    {kDesktop, "Ctrl+S", "save the picture", false, static_cast<int>(Command::Save)},
    {kPage, "Ctrl+S", "download the picture (chaos-game.png)"},
    {kBoth, "Ctrl+C", "copy it", true, static_cast<int>(Command::Copy)},
    {kBoth, "Ctrl+P", "print it", true, static_cast<int>(Command::Print)},
    {kDesktop, "Tab", "go to the next control"},
    {kDesktop, "Return", "press the focused button", true},
    {kPage, "Tab", "go to the next control"},
    {kPage, "Enter", "press the focused button", true},
    {kBoth, "Esc", "stop a long draw"},
    {kBoth, "F1", "this help", true, static_cast<int>(Command::Help)},
    {kDesktop, "Ctrl+Q", "quit", true, static_cast<int>(Command::Quit)},
    {kPage, nullptr, "Browsers keep Ctrl+Q for themselves: close the tab to quit; reloading the page starts again."},
};

// The keys' help for one front end. `keyName` names a command's keys as the
// front end's toolkit does; where it gives "" or is empty, the table's keys
// are shown.
std::string helpText(Front front, const std::function<std::string(Command)>& keyName = {});

// `text` with %1 and %2 replaced.
std::string filledIn(std::string text, const std::string& first, const std::string& second = "");

} // namespace chaos
