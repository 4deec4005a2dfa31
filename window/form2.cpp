#include "window/form2.h"

#include <algorithm>
#include <iterator>

namespace chaos {

namespace {

// The keyboard point's crosshair: arms from kCrossGap to kCrossArm pixels
// off the point, each way, leaving the point's own pixel in view; dark arms
// over light ones, so that it shows on any colour.
constexpr int kCrossGap = 2, kCrossArm = 6;
constexpr Color kCrossLight = 0xFFFFFF, kCrossDark = 0x000000;

bool modsFit(Mods rule, std::int16_t mods) {
    switch (rule) {
    case Mods::Plain: return (mods & ~kShift) == 0;
    case Mods::ShiftAlone: return mods == kShift;
    case Mods::Any: break;
    }
    return true;
}

} // namespace

Form2::Form2(Front front, const Host& host)
    : front(front),
      host(host),
      box(surfacePlacement(), drawingAreaPixels(kForm2Layout[kBox].width), drawingAreaPixels(kForm2Layout[kBox].height)),
      sel(host.controls),
      driver(cloud, host, dispatcher, [this](bool on) { setBusy(on); }),
      keyPoint{box.pixelWidth() / 2, box.pixelHeight() / 2} {}

void Form2::useSimd(Simd simd) {
    box.useSimd(simd);
    random.values.useSimd(simd);
}

void Form2::box_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    dispatcher.run([&] { cloud.press(Button, Shift, X, Y); });
    if (cloud.drawing()) {
        ++draws;
        driver.start();
    } else
        host.screen.showPicture();
}

void Form2::col_Click() {
    dotColor = dotColourOf(host.controls.chosenRow(kCol), dotColor);
}

void Form2::Command1_Click() {
    dispatcher.run([this] { box.Cls(); });
    host.screen.showPicture();
}

void Form2::Command2_Click() {
    endAfterMessage = true;
    messages.show(kGoodbyeText, MessageKind::Information);
}

bool Form2::offers(Command command) const {
    return std::any_of(std::begin(kCommands), std::end(kCommands),
                       [&](const CommandKey& c) { return c.command == command && (c.fronts & front); });
}

std::string Form2::keyName(Command command) const {
    for (const auto& c : kCommands)
        if (c.command == command)
            return host.controls.keyName(c.key, c.mods);
    return {};
}

std::string Form2::help() const {
    return helpText(front, [this](Command command) { return keyName(command); });
}

void Form2::run(Command command) {
    if (busy() || !offers(command))
        return;
    const int id = static_cast<int>(command);
    switch (command) {
    case Command::Save: return host.pictures.save(id, kSaveName);
    case Command::Copy: return host.pictures.copy(id);
    case Command::Print: return host.pictures.print(id);
    case Command::Help: return messages.show(help(), MessageKind::Information);
    case Command::Quit: return end();  // as closing the window does
    }
}

void Form2::pointerDown() {
    keyboardDriven = false;
    showMarks();
}

void Form2::surfaceDown(std::int16_t button, std::int16_t shift, double x, double y) {
    // The frame is not part of the drawing area: a press there does nothing.
    if (busy() || !(x >= 0 && x < box.pixelWidth() && y >= 0 && y < box.pixelHeight()))
        return;
    box_MouseDown(button, shift, static_cast<float>(x * kTwipsPerPixel), static_cast<float>(y * kTwipsPerPixel));
}

void Form2::clicked(int control) {
    if (busy())
        return;
    if (control == kCommand1)
        Command1_Click();
    else if (control == kCommand2)
        Command2_Click();
}

void Form2::chosen(int control) {
    if (!busy() && control == kCol)
        dispatcher.run([this] { col_Click(); });
}

void Form2::focusChanged(int control) {
    focus = control;
    showMarks();
}

bool Form2::keyDown(int control, KeyPress key, bool textSelected) {
    if (ended)
        return false;
    if (key.key == Key::Escape && drawing) {  // Esc stops a long draw wherever the keyboard is
        driver.cancel();
        return true;
    }
    if (key.key == Key::Tab) {  // the focus moves on by keyboard: the crosshair shows where it lands
        keyboardDriven = true;
        showMarks();
        return false;
    }
    for (const auto& c : kCommands) {
        if (c.key != key.key || c.mods != key.mods || !(c.fronts & front))
            continue;
        // In the count box, the copy key copies selected text as in any text field.
        if (c.command == Command::Copy && ((control == kSel && textSelected) || busy()))
            return false;
        if (!key.repeat)  // a held key runs its command once
            run(c.command);
        return true;  // also while busy: the key is the window's, not the toolkit's
    }
    if (busy())
        return false;  // a message's own keys; nothing else answers during a long draw
    if (control == kBox) {
        for (const auto& k : kSurfaceKeys) {
            if (k.key != key.key || !modsFit(k.mods, key.mods))
                continue;
            keyboardDriven = true;
            switch (k.action) {
            case PointAction::Move: {
                const int step = key.mods == kShift ? kShiftKeyStep : kKeyStep;
                movePoint(k.dx * step, k.dy * step);
                break;
            }
            case PointAction::Place:
                showMarks();
                box_MouseDown(kLeftButton, 0, static_cast<float>(keyPoint.x * kTwipsPerPixel),
                              static_cast<float>(keyPoint.y * kTwipsPerPixel));
                break;
            case PointAction::Draw:
                showMarks();
                box_MouseDown(kRightButton, 0, static_cast<float>(keyPoint.x * kTwipsPerPixel),
                              static_cast<float>(keyPoint.y * kTwipsPerPixel));
                break;
            }
            return true;
        }
    }
    if ((control == kCommand1 || control == kCommand2) && (key.key == Key::Return || key.key == Key::Enter)) {
        clicked(control);  // Return and Enter press a button, as Space does
        return true;
    }
    return false;
}

bool Form2::closeRequested() {
    driver.cancel();  // closing the window during a long draw stops it, and closes
    ended = true;
    return true;
}

void Form2::messageDismissed() {
    messagesOpen = std::max(0, messagesOpen - 1);
    if (endAfterMessage && messagesOpen == 0)
        end();
}

void Form2::progressCancelled() {
    driver.cancel();
}

void Form2::pictureFailed(int command, const std::string& where, const std::string& why) {
    const Command failed = static_cast<Command>(command);
    const char* text = failed == Command::Save    ? kSaveFailedText
                       : failed == Command::Copy  ? kCopyRefusedText
                       : where.empty()            ? kPrintFailedText
                                                  : kPrintToFileFailedText;
    messages.show(filledIn(text, where, why), MessageKind::Error);
}

void Form2::tick() {
    driver.tick();
}

void Form2::Messages::show(const std::string& text, MessageKind kind) {
    ++form.messagesOpen;
    form.host.messages.show(text, kind);
}

void Form2::setBusy(bool on) {
    drawing = on;
    if (on)
        focusBeforeDraw = focus;
    host.controls.setBusy(on);
    if (!on && focusBeforeDraw != kNoControl)
        host.controls.focus(focusBeforeDraw);
}

void Form2::movePoint(int dx, int dy) {
    keyPoint = {std::clamp(keyPoint.x + dx, 0, box.pixelWidth() - 1), std::clamp(keyPoint.y + dy, 0, box.pixelHeight() - 1)};
    marksShown = false;  // moved: paint it again
    showMarks();
}

// The crosshair while the keyboard drives the surface, else nothing.
void Form2::showMarks() {
    const bool shown = showsKeyboardPoint();
    if (shown == marksShown)
        return;
    marksShown = shown;
    if (!shown)
        return host.screen.showMarks(nullptr, 0);
    const int x = keyPoint.x, y = keyPoint.y, arm = kCrossArm - kCrossGap;
    std::vector<Screen::Mark> marks;
    for (const auto& [color, thick] : {std::pair{kCrossLight, 3}, std::pair{kCrossDark, 1}}) {
        const int side = (thick - 1) / 2;
        marks.push_back({x + kCrossGap + 1, y - side, arm, thick, color});
        marks.push_back({x - kCrossArm + 1, y - side, arm, thick, color});
        marks.push_back({x - side, y + kCrossGap + 1, thick, arm, color});
        marks.push_back({x - side, y - kCrossArm + 1, thick, arm, color});
    }
    host.screen.showMarks(marks.data(), marks.size());
}

void Form2::end() {
    driver.cancel();
    ended = true;
    showMarks();
    host.programEnd.end();
}

} // namespace chaos
