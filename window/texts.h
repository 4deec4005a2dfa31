#pragma once

// Every text the window shows, in both front ends, and its keys: the key map
// that the window acts on and the F1 help built from it.

#include "platform/errors.h"
#include "platform/host.h"
#include "platform/input.h"

#include <cstdint>
#include <functional>
#include <iterator>
#include <utility>
#include <string>
#include <vector>

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

// The desktop program's command line: what --help says of it and of its
// option, and why it would not start, each on one line after its name; %1
// what was written, or what Qt named.
inline constexpr const char* kCommandDescription =
    "Draws the chaos game's point cloud around anchor points you place.\n"
    "Qt's own options, such as -platform and -style, are accepted too.";
inline constexpr const char* kHelpOptionText = "Displays this help.";
inline constexpr const char* kUnknownOptionText = "Unknown option '%1'.";
inline constexpr const char* kUnexpectedArgumentText = "Unexpected argument '%1'.";
inline constexpr const char* kNoPluginText = "the Qt platform plugin \"%1\" was not found";
inline constexpr const char* kPluginsText = " (available: %1)";  // after kNoPluginText, where Qt lists them
inline constexpr const char* kPluginNotStartedText = "the Qt platform plugin \"%1\" could not be started";
inline constexpr const char* kNoDisplayText = "cannot open the display \"%1\"";
inline constexpr const char* kNoDisplaySetText = "cannot open the display: neither DISPLAY nor WAYLAND_DISPLAY is set";
inline constexpr const char* kNoXDisplaySetText = "cannot open the X display: DISPLAY is not set";

// The window's commands, which a key runs.
enum class Command { Save, Copy, Print, Help, Quit };

// Where a key acts: anywhere in the window, on the drawing surface, or on a button.
enum class On : std::uint8_t { Window, Surface, Button };
// Which modifiers a key takes: exactly the row's, the row's with or without
// Shift, or any.
enum class Held : std::uint8_t { Exactly, AlsoShift, Any };
// What a key does. Nothing: a line of the help that is no key (a heading,
// a mouse or touch action).
enum class Does : std::uint8_t {
    Nothing,
    Run,                // the row's command
    Move, Place, Draw,  // at the keyboard point; a move by the key step, with Shift the larger one
    Press,              // the focused button
    NextControl,        // the toolkit moves the focus; the crosshair shows where it lands
    Stop,               // a long draw, the one thing a key does while it runs
};
// How a row shows in the help: on a line of its own or on the line before;
// its key named after the line's last with "or"; so in the README and the
// manual page alone; or not at all (the twin of a key it lists).
enum class Shown : std::uint8_t { Line, SameLine, Or, OrInManual, Hidden };

struct KeyRow {
    const char* key = "";  // its name (platform/input.h)
    std::int16_t shift = 0;
    Held held = Held::Exactly;
    On on = On::Window;
    Does does = Does::Nothing;
    Command command = Command::Save;  // what Run runs
    int dx = 0, dy = 0;               // a move's direction
    unsigned needs = 0, lacks = 0;    // the Offer bits a runtime must have, and must not, for the row
    Shown shown = Shown::Line;
    const char* name = nullptr;     // the help's name instead of the key's (a mouse action, "Arrow keys")
    const char* help = nullptr;     // what the help says it does; a heading for a row without key or name
    const char* manual = nullptr;   // where the README and the manual page say more than the help
    const char* without = nullptr;  // the help's paragraph where the runtime lacks `needs`; %1 the key
};

inline constexpr int kKeyStep = 1;        // pixels an arrow key moves the keyboard point
inline constexpr int kShiftKeyStep = 10;  // with Shift held

// Every key the window takes, in the order of the help; a key press runs the
// first row that fits it. In the texts, a move's %1 is the key step in
// pixels and %2 the step with Shift; a save's %1 is the name it suggests.
inline constexpr KeyRow kKeys[] = {
    {.help = "Mouse, on the drawing surface:"},
    {.name = "Left-click", .help = "place an anchor point (not with Shift alone)"},
    {.name = "Right-click", .help = "draw the dots around the anchor points, then forget them"},
    {.needs = kTouch, .help = "Touch, on the drawing surface:"},
    {.needs = kTouch, .name = "Tap", .help = "place an anchor point"},
    {.needs = kTouch, .name = "Long press", .help = "draw, as a right-click does"},
    {.help = "Keys, on the drawing surface:"},
    {.key = "ArrowLeft", .held = Held::AlsoShift, .on = On::Surface, .does = Does::Move, .dx = -1, .name = "Arrow keys",
     .help = "move the keyboard point %1 (with Shift, %2)", .manual = "move the keyboard point %1; with Shift, %2 pixels"},
    {.key = "ArrowRight", .held = Held::AlsoShift, .on = On::Surface, .does = Does::Move, .dx = 1, .shown = Shown::Hidden},
    {.key = "ArrowUp", .held = Held::AlsoShift, .on = On::Surface, .does = Does::Move, .dy = -1, .shown = Shown::Hidden},
    {.key = "ArrowDown", .held = Held::AlsoShift, .on = On::Surface, .does = Does::Move, .dy = 1, .shown = Shown::Hidden},
    {.key = " ", .held = Held::AlsoShift, .on = On::Surface, .does = Does::Place,
     .help = "place an anchor point at the keyboard point",
     .manual = "place an anchor at the keyboard point, as a left-click there does"},
    {.key = "Enter", .held = Held::AlsoShift, .on = On::Surface, .does = Does::Place, .shown = Shown::Or},
    {.key = "NumpadEnter", .held = Held::AlsoShift, .on = On::Surface, .does = Does::Place, .shown = Shown::Hidden},
    {.key = "ContextMenu", .held = Held::Any, .on = On::Surface, .does = Does::Draw, .help = "draw, as a right-click does"},
    {.key = "F10", .shift = kShift, .on = On::Surface, .does = Does::Draw, .shown = Shown::Or},
    {.help = "Keys, anywhere:", .manual = "Anywhere in the window; while a long draw runs, only Esc answers:"},
    {.key = "s", .shift = kCtrl, .does = Does::Run, .command = Command::Save, .lacks = kDownload,
     .help = "save the picture"},
    {.key = "s", .shift = kCtrl, .does = Does::Run, .command = Command::Save, .needs = kDownload,
     .help = "download the picture (%1)"},
    {.key = "c", .shift = kCtrl, .does = Does::Run, .command = Command::Copy, .shown = Shown::SameLine,
     .help = "copy it", .manual = "copy the picture; in the count box, with text selected, copy that text"},
    {.key = "p", .shift = kCtrl, .does = Does::Run, .command = Command::Print, .shown = Shown::SameLine,
     .help = "print it", .manual = "print the picture on one page, as large as fits, with sharp pixels"},
    {.key = "Tab", .held = Held::Any, .does = Does::NextControl, .help = "go to the next control",
     .manual = "move to the next control"},
    {.key = "Enter", .held = Held::Any, .on = On::Button, .does = Does::Press, .shown = Shown::SameLine,
     .help = "press the focused button"},
    {.key = "NumpadEnter", .held = Held::Any, .on = On::Button, .does = Does::Press, .shown = Shown::OrInManual},
    {.key = "Escape", .held = Held::Any, .does = Does::Stop, .help = "stop a long draw",
     .manual = "stop a long draw, whether the progress dialog or the window has the keyboard"},
    {.key = "F1", .does = Does::Run, .command = Command::Help, .shown = Shown::SameLine, .help = "this help",
     .manual = "list the mouse actions and keys"},
    {.key = "q", .shift = kCtrl, .does = Does::Run, .command = Command::Quit, .needs = kQuitKey,
     .shown = Shown::SameLine, .help = "quit", .manual = "quit, as closing the window does",
     .without = "Browsers keep %1 for themselves: close the tab to quit; reloading the page starts again."},
};

// Whether a runtime that offers `offers` (Offer bits) has the row.
constexpr bool offered(const KeyRow& row, unsigned offers) {
    return (offers & row.needs) == row.needs && !(offers & row.lacks);
}
// Whether a key press fits the row's key and modifiers.
inline bool fits(const KeyRow& row, const KeyPress& press) {
    if (row.does == Does::Nothing || press.key != row.key)
        return false;
    switch (row.held) {
    case Held::Exactly: return press.shift == row.shift;
    case Held::AlsoShift: return (press.shift & ~kShift) == row.shift;
    case Held::Any: break;
    }
    return true;
}

// The window's own word for a key: its name, or the word this table gives.
inline constexpr std::pair<const char*, const char*> kKeyWords[] = {
    {"ArrowLeft", "Left"}, {"ArrowRight", "Right"}, {"ArrowUp", "Up"}, {"ArrowDown", "Down"}, {" ", "Space"},
    {"Enter", "Return"}, {"NumpadEnter", "Enter"}, {"ContextMenu", "Menu"}, {"Escape", "Esc"},
};

// How a runtime's toolkit names a key with modifiers; "" for the window's own name.
using KeyNamer = std::function<std::string(const std::string&, std::int16_t)>;
// The window's own name of a key with modifiers, as "Ctrl+S".
std::string ownKeyName(const std::string& key, std::int16_t shift);

// One entry of the keys' help, from the rows of a runtime that offers `offers`.
struct HelpEntry {
    enum Kind { Heading, Line, SameLine, Paragraph } kind;
    const KeyRow* row;
    std::vector<std::string> keys;  // the names of its keys, for a Line or a SameLine
    std::vector<std::string> manualKeys;  // those the README and the manual page name
    std::string says;               // the help's text, filled in (a Paragraph's with its key)
    std::string manual;             // the README's and the manual page's, filled in
};
std::vector<HelpEntry> helpEntries(unsigned offers, const KeyNamer& keyName = {});

// The keys' help for a runtime that offers `offers`, naming the keys as
// `keyName` does where it names them.
std::string helpText(unsigned offers, const KeyNamer& keyName = {});

// What the user is told of a failure an event handler raised.
std::string failureText(const Failure& failure);

// `text` with %1 and %2 replaced.
std::string filledIn(std::string text, const std::string& first, const std::string& second = "");

// A count as every text of the window writes it: its digits in groups of
// three, parted by commas ("2,147,483,647").
std::string groupedDigits(std::uint64_t n);
// The progress dialog's line: `done` dots of `total`.
std::string progressLine(std::uint64_t done, std::uint64_t total);

} // namespace chaos
