#include "window/form2.h"

#include "fakes.h"
#include "facts.h"

#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <vector>

namespace chaos {
namespace {

using testing::FakeHost;
using testing::kAreaHeight;
using testing::kAreaPixels;
using testing::kAreaWidth;
using testing::kSurfacePlace;

constexpr std::uint32_t kWhitePixel = 0xFFFFFFFFu;

// Form2 on a recording runtime, with every draw from one seed.
class Form2Test : public ::testing::Test {
protected:
    FakeHost host;
    Form2 form{host.host()};

    void SetUp() override { form.fixSeed(7); }
    // A press at a drawing-area pixel.
    void press(std::int16_t button, double x, double y, std::int16_t shift = 0) {
        form.pointerDown();
        form.surfaceDown(button, shift, x, y);
    }
    void triangle() {
        for (auto [x, y] : {std::pair{50, 400}, {500, 400}, {275, 30}})
            press(kLeftButton, x, y);
    }
    bool key(const char* k, std::int16_t shift = 0, int control = kBox, bool selected = false, bool repeat = false) {
        return form.keyDown(control, {k, shift, repeat}, selected);
    }
    int count(std::uint32_t pixel) {
        int n = 0;
        for (int y = 0; y < form.surface().pixelHeight(); ++y)
            for (int x = 0; x < form.surface().pixelWidth(); ++x)
                n += form.surface().pixel(x, y) == pixel;
        return n;
    }
    // Starts the largest draw, past the first slice: the clock moves 10 ms a reading.
    void startLongDraw() {
        host.count = "2147483647";
        host.msPerReading = 10;
        press(kRightButton, 0, 0);
    }
};

TEST_F(Form2Test, StartsWithAWhiteSurfaceBlackDotsAndNoAnchors) {
    EXPECT_EQ(count(kWhitePixel), kAreaPixels);
    EXPECT_EQ(form.dotColor, 0u);
    EXPECT_EQ(form.anchors.stored(), 0);
    EXPECT_EQ(form.keyboardPoint().x, 275);
    EXPECT_EQ(form.keyboardPoint().y, 239);
    EXPECT_FALSE(form.showsKeyboardPoint());
}

// The dots take the colour of the row chosen last; no row keeps the colour.
TEST_F(Form2Test, TheChosenRowColorsTheNextDots) {
    struct Case { std::vector<int> rows; std::uint32_t dots; };
    const Case table[] = {
        {{}, 0xFF000000}, {{1}, 0xFFFF0000}, {{3, 0}, 0xFF0000FF}, {{4}, 0xFFFFFF00},
        {{1, -1}, 0xFFFF0000}, {{5}, 0xFF00FFFF}, {{2}, 0xFF000000},
    };
    for (const auto& row : table) {
        FakeHost other;
        Form2 fresh(other.host());
        for (int chosen : row.rows) {
            other.row = chosen;
            fresh.chosen(kCol);
        }
        for (auto [x, y] : {std::pair{50, 400}, {500, 400}, {275, 30}})
            fresh.surfaceDown(kLeftButton, 0, x, y);
        fresh.surfaceDown(kRightButton, 0, 0, 0);
        int dots = 0;
        for (int y = 60; y < 380; ++y)
            for (int x = 100; x < 450; ++x)
                dots += fresh.surface().pixel(x, y) == row.dots;
        EXPECT_GT(dots, 3000) << row.rows.size();
        EXPECT_EQ(fresh.surface().pixel(55, 400), 0xFF0000FFu) << "the circles stay red";
    }
}

// A draw starts from a point the random source gives, within the surface's
// place in the window: with one anchor and one dot, that dot is halfway.
TEST_F(Form2Test, ADrawStartsFromARandomPointOfTheSurfacesPlace) {
    FastRandom values;
    values.seed(7);
    const double startX = std::floor(values.next() * kSurfacePlace.width) + kSurfacePlace.left, startY = std::floor(values.next() * kSurfacePlace.height) + kSurfacePlace.top;
    press(kLeftButton, 300, 200);
    host.count = "1";
    press(kRightButton, 0, 0);
    const int x = static_cast<int>(startX + std::trunc((4500 - startX) / 2)) / 15;
    const int y = static_cast<int>(startY + std::trunc((3000 - startY) / 2)) / 15;
    EXPECT_EQ(form.surface().pixel(x, y), 0xFF000000u) << x << ", " << y;
    EXPECT_EQ(count(0xFF000000), 1);
}

TEST_F(Form2Test, ClearScreenWipesTheSurfaceAndKeepsTheAnchorsCountAndColor) {
    triangle();
    host.row = 1;
    form.chosen(kCol);
    form.clicked(kCommand1);
    EXPECT_EQ(count(kWhitePixel), kAreaPixels);
    EXPECT_EQ(form.anchors.count(), 3);
    EXPECT_EQ(form.dotColor, 0xFF0000u);
    EXPECT_EQ(host.log.back(), "picture");
    press(kRightButton, 0, 0);
    EXPECT_EQ(count(0xFF0000FF), 0) << "the circles are gone";
    EXPECT_GT(count(0xFFFF0000), 3000);
    EXPECT_EQ(form.anchors.count(), 0);
}

// A press on the frame does nothing; a middle press nothing; Shift alone
// keeps a left press from placing an anchor.
TEST_F(Form2Test, PressesOnTheDrawingAreaOnly) {
    struct Case { std::int16_t button, shift; double x, y; int anchors; };
    const Case table[] = {
        {kLeftButton, 0, 0, 0, 1}, {kLeftButton, 0, kAreaWidth - 0.1, kAreaHeight - 0.1, 1}, {kLeftButton, 0, -0.1, 100, 0},
        {kLeftButton, 0, double{kAreaWidth}, 100, 0}, {kLeftButton, 0, 100, double{kAreaHeight}, 0}, {kRightButton, 0, 100, -1, 0},
        {kMiddleButton, 0, 100, 100, 0}, {kLeftButton, kShift, 100, 100, 0}, {kLeftButton, kCtrl, 100, 100, 1},
    };
    for (const auto& row : table) {
        FakeHost other;
        Form2 fresh(other.host());
        fresh.surfaceDown(row.button, row.shift, row.x, row.y);
        EXPECT_EQ(fresh.anchors.count(), row.anchors) << row.x << ", " << row.y;
        EXPECT_EQ(fresh.anchors.stored(), row.anchors);
    }
    press(kLeftButton, 100.5, 200.25);
    EXPECT_EQ(form.anchors.x(1), 1508);  // 1507.5, halves to even
    EXPECT_EQ(form.anchors.y(1), 3004);
}

TEST_F(Form2Test, ExitThanksTheUserAndEndsOnlyOnceTheMessageIsDismissed) {
    form.clicked(kCommand2);
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.shown[0].text, "Thank you for drawing with Chaos Game.");
    EXPECT_EQ(host.shown[0].kind, MessageKind::Information);
    EXPECT_TRUE(host.logged("end").empty());
    press(kLeftButton, 100, 100);  // the message holds the window
    EXPECT_EQ(form.anchors.count(), 0);
    form.dialogClosed();
    EXPECT_EQ(host.logged("end").size(), 1u);
    press(kLeftButton, 100, 100);
    form.clicked(kCommand2);
    EXPECT_FALSE(key("F1"));  // after the end, nothing answers
    EXPECT_EQ(form.anchors.count(), 0);
    EXPECT_EQ(host.shown.size(), 1u);
}

// Each refused count says why and keeps the anchors; the next count draws.
TEST_F(Form2Test, ARefusedCountSaysWhyAndKeepsTheAnchors) {
    struct Case { const char* count; const char* says; };
    const Case table[] = {
        {"abc", "The number of dots must be a number, such as 10000 or 1e6; \"abc\" is not."},
        {"", "The number of dots must be a number"},
        {"5e9", "At most 2147483647 dots can be drawn at once; \"5e9\" is more."},
    };
    for (const auto& row : table) {
        FakeHost other;
        Form2 fresh(other.host());
        fresh.surfaceDown(kLeftButton, 0, 100, 100);
        other.count = row.count;
        fresh.surfaceDown(kRightButton, 0, 0, 0);
        ASSERT_EQ(other.shown.size(), 1u);
        EXPECT_EQ(other.shown[0].text.rfind(row.says, 0), 0u) << other.shown[0].text;
        EXPECT_EQ(other.shown[0].kind, MessageKind::Error);
        EXPECT_EQ(fresh.anchors.count(), 1);
        fresh.dialogClosed();
        other.count = "10";
        fresh.surfaceDown(kRightButton, 0, 0, 0);
        EXPECT_EQ(fresh.anchors.count(), 0);
    }
}

TEST_F(Form2Test, OneAnchorTooManySaysSoAndKeepsTheRest) {
    for (int i = 0; i < AnchorStore::kMaxAnchors; ++i)
        form.surfaceDown(kLeftButton, 0, i % 500, i / 500);
    EXPECT_TRUE(host.shown.empty());
    press(kLeftButton, 10, 10);
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_EQ(host.shown[0].text, "Too many anchor points: at most 32767 can be placed.");
    EXPECT_EQ(form.anchors.count(), 32767);
}

// The keyboard point moves a pixel, ten with Shift, never off the area;
// Space, Return and Enter place an anchor there, Menu and Shift+F10 draw.
TEST_F(Form2Test, KeysActAtTheKeyboardPoint) {
    EXPECT_TRUE(key("ArrowRight", kShift));
    EXPECT_TRUE(key("ArrowUp"));
    EXPECT_EQ(form.keyboardPoint().x, 285);
    EXPECT_EQ(form.keyboardPoint().y, 238);
    struct Case { const char* key; std::int16_t shift; bool taken; int anchors; };
    const Case table[] = {
        {" ", 0, true, 1}, {"Enter", 0, true, 2}, {"NumpadEnter", kShift, true, 3},
        {" ", kCtrl, false, 3}, {"Enter", kAlt, false, 3}, {"F10", 0, false, 3},
        {"ArrowUp", kCtrl, false, 3}, {"x", 0, false, 3}, {"ContextMenu", kCtrl, true, 0},
    };
    for (const auto& row : table) {
        EXPECT_EQ(key(row.key, row.shift), row.taken) << row.key;
        EXPECT_EQ(form.anchors.count(), row.anchors) << row.key;
        if (row.anchors == 1) {
            EXPECT_EQ(form.anchors.x(1), 285 * 15);
            EXPECT_EQ(form.anchors.y(1), 238 * 15);
        }
    }
    key(" ");
    EXPECT_TRUE(key("F10", kShift));
    EXPECT_EQ(form.anchors.count(), 0);
    for (int i = 0; i < 60; ++i) {
        key("ArrowLeft", kShift);
        key("ArrowDown", kShift);
    }
    EXPECT_EQ(form.keyboardPoint().x, 0);
    EXPECT_EQ(form.keyboardPoint().y, 478);
    for (int i = 0; i < 60; ++i) {
        key("ArrowRight", kShift);
        key("ArrowUp", kShift);
    }
    EXPECT_EQ(form.keyboardPoint().x, 550);
    EXPECT_EQ(form.keyboardPoint().y, 0);
    EXPECT_FALSE(key(" ", 0, kCommand1)) << "the surface's keys act on the surface only";
}

// The crosshair shows while the keyboard drives the surface, as a focus
// ring only keyboard users see.
TEST_F(Form2Test, TheKeyboardPointShowsOnlyForTheKeyboard) {
    struct Case { const char* steps; bool shows; };
    const Case table[] = {
        {"", false}, {"click", false}, {"tab", true}, {"click left", true}, {"space", true}, {"other", false},
        {"left click", false}, {"tab click", false}, {"left away back", true}, {"left away", false}, {"tab end", false},
    };
    for (const auto& row : table) {
        FakeHost other;
        other.offered = kTouch | kDownload;  // as the page
        Form2 fresh(other.host());
        const std::string steps = row.steps;
        for (std::size_t at = 0; at < steps.size();) {
            const std::size_t space = steps.find(' ', at);
            const std::string step = steps.substr(at, space == std::string::npos ? space : space - at);
            at = space == std::string::npos ? steps.size() : space + 1;
            if (step == "click")
                fresh.pointerDown();
            else if (step == "tab")
                fresh.keyDown(kCommand2, {"Tab"}, false), fresh.focusChanged(kBox);
            else if (step == "left")
                fresh.keyDown(kBox, {"ArrowLeft"}, false);
            else if (step == "space")
                fresh.keyDown(kBox, {" "}, false);
            else if (step == "other")
                fresh.keyDown(kBox, {"x"}, false);
            else if (step == "away")
                fresh.focusChanged(kCol);
            else if (step == "back")
                fresh.focusChanged(kBox);
            else if (step == "end")
                fresh.clicked(kCommand2), fresh.dialogClosed();
        }
        EXPECT_EQ(fresh.showsKeyboardPoint(), row.shows) << row.steps;
        EXPECT_EQ(!other.marks.empty(), row.shows) << row.steps;
    }
    // Light arms of three pixels, dark ones of one, 2 to 6 pixels off the point.
    key("ArrowLeft");
    ASSERT_EQ(host.marks.size(), 8u);
    EXPECT_EQ(host.marks[0].x, 274 + 3);
    EXPECT_EQ(host.marks[0].width, 4);
    EXPECT_EQ(host.marks[0].height, 3);
    EXPECT_EQ(host.marks[0].color, 0xFFFFFFu);
    EXPECT_EQ(host.marks[5].x, 274 - 5);
    EXPECT_EQ(host.marks[5].height, 1);
    EXPECT_EQ(host.marks[5].color, 0u);
    EXPECT_EQ(host.marks[3].x, 274 - 1);  // the light arm upwards, three wide around the point
    EXPECT_EQ(host.marks[3].y, 239 - 5);
    EXPECT_EQ(host.marks[3].height, 4);
    EXPECT_EQ(form.surface().pixel(277, 239), kWhitePixel) << "never part of the picture";
    for (const char* k : {"ArrowUp", "ArrowRight", "ArrowRight"}) {  // each move paints it again, around the point
        key(k);
        EXPECT_EQ(host.marks[3].x, form.keyboardPoint().x - 1);
        EXPECT_EQ(host.marks[3].y, form.keyboardPoint().y - 5);
    }
}

TEST_F(Form2Test, ReturnAndEnterPressTheFocusedButton) {
    press(kLeftButton, 100, 100);
    EXPECT_TRUE(key("Enter", 0, kCommand1));
    EXPECT_EQ(count(kWhitePixel), kAreaPixels);
    EXPECT_FALSE(key("Enter", 0, kSel));
    EXPECT_TRUE(key("NumpadEnter", 0, kCommand2));
    EXPECT_EQ(host.logged("message").size(), 1u);
}

// Each command's key runs it once from any control, nothing else does; in
// the count box, with text selected, the copy key is the text field's.
TEST_F(Form2Test, CommandKeys) {
    struct Case { const char* key; std::int16_t shift; int control; bool selected, repeat, taken; const char* runs; };
    const Case table[] = {
        {"s", kCtrl, kBox, false, false, true, "save chaos-game.png"},
        {"s", kCtrl, kCol, false, true, true, ""},
        {"s", kCtrl | kShift, kBox, false, false, false, ""},
        {"s", kMeta, kBox, false, false, false, ""},
        {"c", kCtrl, kSel, false, false, true, "copy"},
        {"c", kCtrl, kSel, true, false, false, ""},
        {"c", kCtrl, kBox, true, false, true, "copy"},
        {"p", kCtrl, kCommand1, false, false, true, "print chaos-game.pdf"},
        {"F1", 0, kSel, false, false, true, "message"},
        {"q", kCtrl, kBox, false, false, true, "end"},
        {"Escape", 0, kBox, false, false, false, ""},
    };
    for (const auto& row : table) {
        FakeHost other;
        Form2 fresh(other.host());
        EXPECT_EQ(fresh.keyDown(row.control, {row.key, row.shift, row.repeat}, row.selected), row.taken) << row.runs;
        const std::string runs = row.runs;
        const auto ran = other.logged(runs.empty() ? "-" : runs.substr(0, runs.find(' ')));
        EXPECT_EQ(ran, runs.empty() ? std::vector<std::string>{} : std::vector<std::string>{runs});
    }
    FakeHost pageHost;
    pageHost.offered = kTouch | kDownload;
    Form2 page(pageHost.host());
    EXPECT_FALSE(page.keyDown(kBox, {"q", kCtrl}, false)) << "browsers keep Ctrl+Q";
    EXPECT_TRUE(pageHost.logged("end").empty());
}

// The help lists the keys, with the command keys named as the toolkit does.
TEST_F(Form2Test, HelpNamesTheCommandsKeysAsTheRuntimeDoes) {
    host.keyNames = {{"s", "Strg+S"}, {"c", "Strg+C"}, {"p", "Strg+P"}, {"F1", "Hilfe"}, {"q", "Strg+Q"}};
    key("F1");
    ASSERT_EQ(host.shown.size(), 1u);
    const std::string& help = host.shown[0].text;
    EXPECT_NE(help.find("\nStrg+S: save the picture.  Strg+C: copy it.  Strg+P: print it.\n"), std::string::npos) << help;
    EXPECT_NE(help.find("\nEsc: stop a long draw.  Hilfe: this help.  Strg+Q: quit."), std::string::npos) << help;
    EXPECT_TRUE(key("F1")) << "taken, and not run again while the message shows";
    EXPECT_FALSE(key("c", kCtrl)) << "the message's own copy key";
    EXPECT_EQ(host.shown.size(), 1u);
}

TEST_F(Form2Test, APictureCommandThatFailedSaysWhy) {
    struct Case { Command command; const char* where; const char* says; };
    const Case table[] = {
        {Command::Save, "/x/a.png", "Could not save the picture in \"/x/a.png\": why. The picture is still here."},
        {Command::Print, "", "Could not print the picture: why."},
        {Command::Print, "/x/a.pdf", "Could not print the picture to \"/x/a.pdf\": why. The picture is still here."},
        {Command::Copy, "", "The browser did not let the picture be copied to the clipboard. Ctrl+S downloads it instead."},
        {Command::Save, "", "The browser could not make the picture into a file to download. The picture is still here."},
    };
    for (const auto& row : table) {
        FakeHost other;
        Form2 fresh(other.host());
        fresh.pictureFailed(static_cast<int>(row.command), row.where, "why");
        ASSERT_EQ(other.shown.size(), 1u);
        EXPECT_EQ(other.shown[0].text, row.says);
        EXPECT_EQ(other.shown[0].kind, MessageKind::Error);
    }
}

// One dialog at a time: the save and print dialogs hold the window until
// they close, and a message asked for meanwhile (their failure) waits its turn.
TEST_F(Form2Test, OneDialogAtATime) {
    for (const auto& [k, opens] : {std::pair{"s", "save chaos-game.png"}, std::pair{"p", "print chaos-game.pdf"}}) {
        host.log.clear();
        host.shown.clear();
        key(k, kCtrl);
        EXPECT_EQ(host.log, std::vector<std::string>{opens});
        form.pictureFailed(static_cast<int>(k == "s" ? Command::Save : Command::Print), "/x/a", "why");
        press(kLeftButton, 10, 10);
        key("F1");
        EXPECT_TRUE(host.shown.empty()) << opens;
        form.dialogClosed();
        ASSERT_EQ(host.shown.size(), 1u);
        EXPECT_EQ(host.shown[0].kind, MessageKind::Error);
        EXPECT_TRUE(form.busy());
        form.dialogClosed();
        EXPECT_FALSE(form.busy());
    }
    EXPECT_EQ(form.anchors.count(), 0);
    EXPECT_EQ(host.shown.size(), 1u);
}

// A draw that ends within half a second holds the window and shows nothing
// but its dots.
TEST_F(Form2Test, AShortDrawIsOnScreenWhenThePressReturns) {
    triangle();
    host.msPerReading = 1;
    host.log.clear();
    press(kRightButton, 0, 0);
    EXPECT_EQ(host.log, std::vector<std::string>{"picture"});
    EXPECT_FALSE(host.soon);
    EXPECT_GT(count(0xFF000000), 3000);
}

// After half a second a long draw shows its progress, with the controls off,
// and goes on in slices from the event loop, refreshed every 40 ms; while it
// runs only Esc answers; Esc stops it, keeping its dots and the anchors.
TEST_F(Form2Test, ALongDrawShowsItsProgressAndEscStopsIt) {
    triangle();
    form.focusChanged(kSel);
    host.log.clear();
    const double pressed = host.now;
    startLongDraw();
    EXPECT_GE(host.now - pressed, 500);
    EXPECT_LT(host.now - pressed, 600);
    ASSERT_GE(host.log.size(), 4u);
    EXPECT_EQ(host.log[0], "busy");
    ASSERT_EQ(host.log[2].rfind("update ", 0), 0u);
    const std::uint64_t done = std::stoull(host.log[2].substr(7));
    EXPECT_EQ(host.log[1], "progress Chaos Game: " + progressLine(done, kMaxDots) + " [Cancel]");
    EXPECT_EQ(host.log[2], "update " + std::to_string(done) + "/" + std::to_string(kMaxDots) + ": " +
                               progressLine(done, kMaxDots));
    EXPECT_EQ(host.log[3], "picture");
    EXPECT_TRUE(host.soon);
    EXPECT_TRUE(form.busy());
    host.log.clear();
    press(kLeftButton, 10, 10);
    form.clicked(kCommand1);
    form.clicked(kCommand2);
    host.row = 1;
    form.chosen(kCol);
    EXPECT_TRUE(key("s", kCtrl));  // taken, not run
    EXPECT_TRUE(key("Tab"));  // taken: the focus stays where Esc reaches the draw
    EXPECT_TRUE(key("Tab", kShift, kNoControl));
    EXPECT_FALSE(key(" "));
    EXPECT_EQ(form.anchors.count(), 3);
    EXPECT_EQ(form.dotColor, 0u);
    EXPECT_TRUE(host.log.empty());
    host.msPerReading = 5;
    for (int i = 0; i < 8; ++i) {  // each slice reads the clock four times: 20 ms
        host.soon = false;
        form.tick();
        EXPECT_TRUE(host.soon);
    }
    EXPECT_EQ(host.logged("update").size(), 4u);
    EXPECT_EQ(host.logged("picture").size(), 4u);
    host.msPerReading = 1;  // runs of 2 ms: a slice takes runs until its 8 ms are up
    const std::uint64_t before = form.dotsDone();
    const double began = host.now;
    form.tick();
    EXPECT_GE(host.now - began, DrawDriver::kSliceMs + 1);
    EXPECT_GT(form.dotsDone(), before);
    const int dots = count(0xFF000000);
    EXPECT_GT(dots, 0);
    host.log.clear();
    EXPECT_TRUE(key("Escape", 0, kNoControl));
    EXPECT_EQ(host.log, (std::vector<std::string>{"hide", "not busy", "focus 2", "picture"}));
    EXPECT_FALSE(form.busy());
    EXPECT_EQ(form.anchors.count(), 3);
    EXPECT_EQ(count(0xFF000000), dots);
    host.soon = false;
    form.tick();  // the call asked for before the draw stopped
    EXPECT_FALSE(host.soon);
}

TEST_F(Form2Test, CancelAndClosingStopALongDraw) {
    for (int way = 0; way < 2; ++way) {
        FakeHost other;
        Form2 fresh(other.host());
        fresh.surfaceDown(kLeftButton, 0, 100, 100);
        other.count = "2147483647";
        other.msPerReading = 10;
        fresh.surfaceDown(kRightButton, 0, 0, 0);
        ASSERT_TRUE(fresh.drawRunning());
        if (way == 0)
            fresh.progressCancelled();
        else
            EXPECT_TRUE(fresh.closeRequested());
        EXPECT_FALSE(fresh.drawRunning());
        EXPECT_EQ(other.logged("hide").size(), 1u);
        EXPECT_EQ(fresh.anchors.count(), 1);
    }
}

// A long draw that runs to its end forgets the anchors; the next starts quiet again.
TEST_F(Form2Test, ALongDrawEndsInItsSlicesAndTheNextStartsQuiet) {
    press(kLeftButton, 100, 100);
    host.count = "300000000";
    host.msPerReading = 10;
    press(kRightButton, 0, 0);
    ASSERT_TRUE(host.soon);
    host.msPerReading = 1;  // the slices grow with the speed
    for (int i = 0; i < 100 && form.drawRunning(); ++i)
        form.tick();
    EXPECT_FALSE(form.drawRunning());
    EXPECT_EQ(form.anchors.count(), 0);
    EXPECT_EQ(host.logged("hide").size(), 1u);
    EXPECT_EQ(host.log.back(), "picture");
    host.log.clear();
    host.count = "10000";
    press(kRightButton, 0, 0);
    EXPECT_EQ(host.log, std::vector<std::string>{"picture"});
}

} // namespace
} // namespace chaos

namespace chaos {
namespace {

// The window at the densities tried: its picture in device pixels, the
// drawing area's size in logical pixels times the ratio, rounded down.
struct Density {
    double ratio;
    int dpi() const { return dpiOf(ratio); }
    int across(int logical) const { return static_cast<int>(logical * ratio); }
    int width() const { return across(drawingAreaPixels(kForm2Layout[kBox].width)); }
    int height() const { return across(drawingAreaPixels(kForm2Layout[kBox].height)); }
};
constexpr Density kDensitiesTried[] = {{1}, {1.5}, {2}};

TEST(Form2Density, ThePictureDotsCirclesAndPressesAreInDevicePixels) {
    for (const Density d : kDensitiesTried) {
        SCOPED_TRACE(d.ratio);
        FakeHost host;
        Form2 form(host.host());
        form.densityChanged(d.ratio);  // before the window shows
        const RasterSurface& box = form.surface();
        EXPECT_EQ(box.pixelWidth(), d.width());
        EXPECT_EQ(box.pixelHeight(), d.height());
        // A press on every column of one row lands on its own pixel, as the
        // pixel's first whole twip.
        const int row = d.height() / 2;
        for (int x = 0; x < d.width(); ++x) {
            form.surfaceDown(kLeftButton, 0, x, row);
            const int ax = form.anchors.x(form.anchors.stored());
            ASSERT_EQ(ax, static_cast<int>(std::ceil(x * 15 / d.ratio))) << x;
            ASSERT_EQ(static_cast<int>(std::floor(ax * d.ratio / 15)), x) << x;
        }
        EXPECT_EQ(host.lastPicture.dpi, d.dpi());
        EXPECT_EQ(host.lastPicture.width, d.width());
        // The frame: just outside the area each way places nothing.
        const int placed = form.anchors.stored();
        for (auto [x, y] : {std::pair{-0.5, 1.0 * row}, {1.0 * d.width(), 1.0 * row}, {10.0, -0.5}, {10.0, 1.0 * d.height()}})
            form.surfaceDown(kLeftButton, 0, x, y);
        EXPECT_EQ(form.anchors.stored(), placed);
        // A circle one device pixel wide, of the anchors' radius at the density, rounded.
        form.clicked(kCommand1);
        const int cx = d.width() / 2, cy = 100, r = static_cast<int>(std::lround(testing::kCirclePixels * d.ratio));
        form.surfaceDown(kLeftButton, 0, cx, cy);
        const std::uint32_t red = toPixel(0x0000FF);
        const std::uint32_t across[] = {form.surface().pixel(cx + r - 1, cy), form.surface().pixel(cx + r, cy),
                                        form.surface().pixel(cx + r + 1, cy), form.surface().pixel(cx, cy - r)};
        EXPECT_EQ(across[0], kWhitePixel);
        EXPECT_EQ(across[1], red);
        EXPECT_EQ(across[2], kWhitePixel);
        EXPECT_EQ(across[3], red);
    }
}

// A new density applies at once to a blank picture; a drawn one keeps its
// own, anchors and all, until Clear Screen; a long draw holds it to its end.
TEST(Form2Density, ANewDensityWaitsForABlankPicture) {
    const Density before{1}, after{2};
    struct Case { const char* what; bool drawn, longDraw; };
    const Case table[] = {{"blank", false, false}, {"drawn", true, false}, {"during a long draw", false, true}};
    for (const auto& row : table) {
        SCOPED_TRACE(row.what);
        FakeHost host;
        Form2 form(host.host());
        form.fixSeed(7);
        form.densityChanged(before.ratio);
        if (row.drawn || row.longDraw)
            for (auto [x, y] : {std::pair{50, 400}, {500, 400}, {275, 30}})
                form.surfaceDown(kLeftButton, 0, x, y);
        if (row.longDraw) {
            form.clicked(kCommand1);  // blank, with the anchors kept
            host.count = "2147483647";
            host.msPerReading = 10;
            form.surfaceDown(kRightButton, 0, 0, 0);
            ASSERT_TRUE(form.drawRunning());
        }
        form.densityChanged(after.ratio);
        const bool waits = row.drawn || row.longDraw;
        const Density shown = waits ? before : after;
        EXPECT_EQ(form.surface().pixelWidth(), shown.width());
        EXPECT_EQ(host.lastPicture.dpi, shown.dpi());
        EXPECT_EQ(form.anchors.stored(), waits ? 3 : 0);
        if (row.longDraw) {
            form.progressCancelled();
            EXPECT_FALSE(form.drawRunning());
            EXPECT_EQ(form.surface().pixelWidth(), before.width()) << "the draw's dots keep their density";
        }
        if (row.drawn) {  // a press lands on the picture's pixel under it
            form.surfaceDown(kLeftButton, 0, 2 * 100, 2 * 200);
            EXPECT_EQ(form.anchors.x(4), 1500);
            EXPECT_EQ(form.surface().pixel(100 + 5, 200), toPixel(0x0000FF));
        }
        form.clicked(kCommand1);
        EXPECT_EQ(form.surface().pixelWidth(), after.width());
        EXPECT_EQ(form.surface().pixelHeight(), after.height());
        EXPECT_EQ(host.lastPicture.dpi, after.dpi());
        EXPECT_EQ(form.anchors.stored(), row.drawn ? 4 : waits ? 3 : 0);  // a stopped draw keeps them
    }
}

// The keyboard point in picture pixels: one pixel a step (ten with Shift),
// its crosshair's gap and arms in proportion to the density, rounded.
TEST(Form2Density, TheKeyboardPointStepsInPicturePixels) {
    for (const Density d : kDensitiesTried) {
        SCOPED_TRACE(d.ratio);
        FakeHost host;
        Form2 form(host.host());
        form.densityChanged(d.ratio);
        EXPECT_EQ(form.keyboardPoint().x, d.width() / 2);
        EXPECT_EQ(form.keyboardPoint().y, d.height() / 2);
        form.keyDown(kBox, {"ArrowRight", kShift}, false);
        form.keyDown(kBox, {"ArrowUp"}, false);
        form.focusChanged(kBox);
        const Form2::Point at = form.keyboardPoint();
        EXPECT_EQ(at.x, d.width() / 2 + 10);
        EXPECT_EQ(at.y, d.height() / 2 - 1);
        form.keyDown(kBox, {" "}, false);
        EXPECT_EQ(form.anchors.x(1), static_cast<int>(std::ceil(at.x * 15 / d.ratio)));
        const int gap = static_cast<int>(std::lround(2 * d.ratio)), reach = static_cast<int>(std::lround(6 * d.ratio));
        ASSERT_EQ(host.marks.size(), 8u);
        for (std::size_t thin : {0u, 4u}) {  // the light arm to the right, then the dark one
            const int side = thin ? 0 : 1;
            EXPECT_EQ(host.marks[thin].x, at.x + gap + 1);
            EXPECT_EQ(host.marks[thin].width, reach - gap);
            EXPECT_EQ(host.marks[thin].y, at.y - side);
            EXPECT_EQ(host.marks[thin + 1].x, at.x - reach + 1);
        }
    }
}

} // namespace
} // namespace chaos
