#include "window/form2.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace chaos {

namespace {

// The keyboard point's crosshair: arms from kCrossGap to kCrossArm pixels
// off the point at 96 dpi (in proportion at other densities, rounded, so
// that it keeps its size on the screen), each way, leaving the point's own
// pixel in view; dark arms over light ones, so that it shows on any colour.
constexpr int kCrossGap = 2, kCrossArm = 6;
constexpr Color kCrossLight = 0xFFFFFF, kCrossDark = 0x000000;

// The twips a press at device position `at` (on the area) is handed as: the
// position itself, fractions kept, where the anchor's rounding keeps it in the
// pixel pressed; else the pixel's first twip, ceil(p * 1440 / dpi), which
// rounds back into it (at 192 dpi 7.5p would be a tie for every odd p).
float pressTwips(double at, int dpi) {
    const int pixel = static_cast<int>(std::floor(at));
    const auto twips = static_cast<float>(at * kTwipsPerInch / dpi);
    return twipsToPixel(int{roundToInt16(twips)}, dpi) == pixel ? twips : static_cast<float>(pixelToTwips(pixel, dpi));
}

} // namespace

Form2::Form2(const Host& host)
    : host(host),
      box(surfacePlacement(), drawingArea(), kLogicalDpi),
      sel(host.controls),
      driver(cloud, host, dispatcher, [this](bool on) { setBusy(on); }, [this] { showPicture(); }),
      keyPoint{box.pixelWidth() / 2, box.pixelHeight() / 2} {
    cloud.useWorkers(host.workers);
    if (host.messengers) {
        messengers.emplace(*host.messengers, driver);
        cloud.useWorkers(&*messengers);
    }
}

void Form2::useSimd(Simd simd) {
    box.useSimd(simd);
    random.values.useSimd(simd);
}

void Form2::box_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y) {
    if (cloud.drawing())
        return;  // a press during a draw does nothing
    dispatcher.run([&] { cloud.press(Button, Shift, X, Y); });
    if (cloud.drawing()) {
        ++draws;
        driver.start();
    } else
        showPicture();
}

void Form2::col_Click() {
    dotColor = dotColorOf(host.controls.chosenRow(kCol), dotColor);
}

void Form2::Command1_Click() {
    dispatcher.run([this] { box.Cls(); });
    applyDensity();  // a density that changed since waits for this
    showPicture();
}

void Form2::Command2_Click() {
    showMessage(kGoodbyeText, MessageKind::Information, Dialog::Goodbye);  // its close ends the program
}

bool Form2::offers(Command command) const {
    return std::any_of(std::begin(kKeys), std::end(kKeys), [&](const KeyRow& row) {
        return row.does == Does::Run && row.command == command && offered(row, host.controls.offers());
    });
}

std::string Form2::help() const {
    return helpText(host.controls.offers(), [this](const std::string& key, std::int16_t shift) { return host.controls.keyName(key, shift); });
}

void Form2::run(Command command) {
    if (busy() || !offers(command))
        return;
    const int id = static_cast<int>(command);
    switch (command) {
    case Command::Save:
        dialog = Dialog::Picture;
        return host.pictures.save(id, kSaveName, picture());
    case Command::Copy: return host.pictures.copy(id, picture());
    case Command::Print:
        dialog = Dialog::Picture;
        return host.pictures.print(id, kPrintName, picture());
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
    // The area ends at its last whole pixel of the screen.
    const RasterSurface::Area area = drawingArea();
    if (busy() || !(x >= 0 && x < twipsToPixel(area.width, screenDpi) && y >= 0 && y < twipsToPixel(area.height, screenDpi)))
        return;
    box_MouseDown(button, shift, pressTwips(x, screenDpi), pressTwips(y, screenDpi));
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
    for (const auto& row : kKeys)
        if (fits(row, key) && offered(row, host.controls.offers()) && actsOn(row, control))
            if (const std::optional<bool> taken = keyRow(row, control, key, textSelected))
                return *taken;
    return false;
}

bool Form2::actsOn(const KeyRow& row, int control) {
    switch (row.on) {
    case On::Window: return true;
    case On::Surface: return control == kBox;
    case On::Button:
        return control >= 0 && static_cast<std::size_t>(control) < std::size(kForm2Layout) &&
               kForm2Layout[control].kind == ControlKind::Button;
    }
    return false;
}

std::optional<bool> Form2::keyRow(const KeyRow& row, int control, KeyPress key, bool textSelected) {
    switch (row.does) {
    case Does::Nothing: return std::nullopt;
    case Does::Stop:  // wherever the keyboard is
        if (!drawing)
            return std::nullopt;
        driver.cancel();
        return true;
    case Does::NextControl:  // the toolkit's: the crosshair shows where the focus lands
        // A long draw holds the form, whose controls take no focus: the key
        // is the window's, so that the focus stays (a browser would move it
        // out of the page, where Esc no longer reaches the draw).
        if (drawing)
            return true;
        keyboardDriven = true;
        showMarks();
        return false;
    case Does::Run:
        // In the count box, the copy key copies selected text as in any text field.
        if (row.command == Command::Copy && ((control == kSel && textSelected) || busy()))
            return false;
        if (!key.repeat)  // a held key runs its command once
            run(row.command);
        return true;  // also while busy: the key is the window's, not the toolkit's
    case Does::Press:  // Return and Enter press a button, as Space does
        if (busy())
            return false;  // a message's own keys; nothing else answers during a long draw
        clicked(control);
        return true;
    case Does::Move: {
        if (busy())
            return false;
        keyboardDriven = true;
        const int step = key.shift == kShift ? kShiftKeyStep : kKeyStep;
        movePoint(row.dx * step, row.dy * step);
        return true;
    }
    case Does::Place:
    case Does::Draw:
        if (busy())
            return false;
        keyboardDriven = true;
        pressAtKeyboardPoint(row.does == Does::Place ? kLeftButton : kRightButton);
        return true;
    }
    return std::nullopt;
}

// As the mouse's button at the keyboard point.
void Form2::pressAtKeyboardPoint(std::int16_t button) {
    showMarks();
    box_MouseDown(button, 0, static_cast<float>(pixelToTwips(keyPoint.x, box.dpi())),
                  static_cast<float>(pixelToTwips(keyPoint.y, box.dpi())));
}

bool Form2::closeRequested() {
    driver.cancel();  // closing the window during a long draw stops it, and closes
    ended = true;
    return true;
}

void Form2::dialogClosed() {
    const Dialog closed = std::exchange(dialog, Dialog::None);
    if (closed == Dialog::Goodbye)
        return end();
    if (ended || waiting.empty())
        return;
    const Waiting next = waiting.front();
    waiting.pop_front();
    showMessage(next.text, next.kind);
}

void Form2::progressCancelled() {
    driver.cancel();
}

void Form2::pictureFailed(int command, const std::string& where, const std::string& why) {
    const Command failed = static_cast<Command>(command);
    // (Only the page's saves and copies fail without a place: the browser's.)
    const char* text = failed == Command::Copy ? kCopyRefusedText
                       : failed == Command::Save ? (where.empty() ? kDownloadFailedText : kSaveFailedText)
                       : where.empty()           ? kPrintFailedText
                                                 : kPrintToFileFailedText;
    showMessage(filledIn(text, where, why), MessageKind::Error);
}

void Form2::densityChanged(double ratio) {
    screenDpi = dpiOf(ratio);
    applyDensityIfBlank();
}

void Form2::applyDensityIfBlank() {
    if (box.blank() && !cloud.drawing() && screenDpi != box.dpi()) {
        applyDensity();
        showPicture();
    }
}

void Form2::applyDensity() {
    if (screenDpi == box.dpi())
        return;
    // The keyboard point to the pixel under its old pixel's centre.
    const auto moved = [old = box.dpi(), now = screenDpi](int p) {
        return static_cast<int>((2 * std::int64_t{p} + 1) * now / (2 * old));
    };
    box.setDensity(screenDpi);
    keyPoint = {std::clamp(moved(keyPoint.x), 0, box.pixelWidth() - 1), std::clamp(moved(keyPoint.y), 0, box.pixelHeight() - 1)};
    if (marksShown) {  // the crosshair at the new density
        marksShown = false;
        showMarks();
    }
}

void Form2::exposed() {
    showPicture();
}

void Form2::tick() {
    driver.tick();
}

void Form2::Messages::show(const std::string& text, MessageKind kind) {
    form.showMessage(text, kind);
}

void Form2::showMessage(const std::string& text, MessageKind kind, Dialog as) {
    if (ended)
        return;
    if (dialog != Dialog::None)
        return waiting.push_back({text, kind});
    dialog = as;
    host.messages.show(text, kind);
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
    const auto scaled = [this](int length) { return static_cast<int>(std::lround(length * box.dpi() / double{kLogicalDpi})); };
    const int x = keyPoint.x, y = keyPoint.y, gap = scaled(kCrossGap), reach = scaled(kCrossArm), arm = reach - gap;
    std::vector<Screen::Mark> marks;
    for (const auto& [color, thick] : {std::pair{kCrossLight, 3}, std::pair{kCrossDark, 1}}) {
        const int side = (thick - 1) / 2;
        marks.push_back({x + gap + 1, y - side, arm, thick, color});
        marks.push_back({x - reach + 1, y - side, arm, thick, color});
        marks.push_back({x - side, y + gap + 1, thick, arm, color});
        marks.push_back({x - side, y - reach + 1, thick, arm, color});
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
