#pragma once

// The program's one window, without a toolkit: its state and every rule of
// it. It reaches the screen, messages, dialogs, clipboard, files, timers and
// program end only through the Host of platform/host.h; a runtime builds the
// controls from description() and tells the window what the user does.

#include "core/anchor_store.h"
#include "core/point_cloud.h"
#include "platform/dispatch.h"
#include "platform/fast_random.h"
#include "platform/host.h"
#include "platform/raster_surface.h"
#include "window/draw_driver.h"
#include "window/layout.h"
#include "window/texts.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace chaos {

class Form2 : public WindowEvents {
public:
    explicit Form2(const Host& host);

    // The window as a runtime shows it.
    static const ShownForm& description() {
        static const ShownForm shown = shownForm(kForm2);
        return shown;
    }
    // What the Screen shows, and the picture commands are handed.
    RasterSurface& surface() { return box; }

    // The handlers of the surface's presses (X, Y in twips), the colour
    // list's choice and the two buttons.
    void box_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y);
    void col_Click();
    void Command1_Click();
    void Command2_Click();
    void run(Command command);

    // WindowEvents
    void pointerDown() override;
    void surfaceDown(std::int16_t button, std::int16_t shift, double x, double y) override;
    void clicked(int control) override;
    void chosen(int control) override;
    void focusChanged(int control) override;
    bool keyDown(int control, KeyPress key, bool textSelected) override;
    bool closeRequested() override;
    void dialogClosed() override;
    void progressCancelled() override;
    void pictureFailed(int command, const std::string& where, const std::string& why) override;
    void exposed() override;
    void densityChanged(double ratio) override;
    void tick() override;

    // While busy (a long draw, a dialog, the program's end), the controls,
    // the surface and the commands do nothing.
    bool busy() const { return drawing || dialog != Dialog::None || ended; }
    bool drawRunning() const { return cloud.drawing(); }
    std::uint64_t dotsDone() const { return cloud.done(); }  // of the running or last draw
    // The drawing-area pixel the keyboard acts on, and whether it shows.
    struct Point {
        int x, y;
    };
    Point keyboardPoint() const { return keyPoint; }
    bool showsKeyboardPoint() const { return keyboardDriven && focus == kBox && !ended; }
    // Which commands the runtime offers.
    bool offers(Command command) const;
    std::string help() const;

    // For tests and benchmarks: every draw from now on starts from `seed`;
    // the code that runs the draw (every choice draws the same dots).
    void fixSeed(std::uint64_t seed) { fixedSeed = seed; }
    std::uint64_t drawsStarted() const { return draws; }  // that had passes to run
    void useSimd(Simd simd);

    // State shared by the handlers, kept while the window lives.
    AnchorStore anchors;
    Color dotColor = 0;  // black until a colour is chosen

private:
    // The count box's text, read at the start of each draw.
    class CountText final : public ControlText {
    public:
        explicit CountText(const Controls& controls) : controls(controls) {}
        std::string Text() const override { return controls.text(kSel); }

    private:
        const Controls& controls;
    };
    // The dialog the window has open: one at a time.
    enum class Dialog { None, Message, Goodbye, Picture };
    // Messages, shown as dialogs.
    class Messages final : public MessageBox {
    public:
        explicit Messages(Form2& form) : form(form) {}
        void show(const std::string& text, MessageKind kind) override;

    private:
        Form2& form;
    };
    // The random source, reseeded from the clock for each draw, or from a fixed seed.
    class Random final : public RandomSource {
    public:
        explicit Random(const std::optional<std::uint64_t>& fixed) : fixed(fixed) {}
        void reseed() override { fixed ? values.seed(*fixed) : values.reseed(); }
        float next() override { return values.next(); }
        void fill(float* out, std::size_t n) override { values.fill(out, n); }
        std::optional<std::uint64_t> sequenceSeed() const override { return values.sequenceSeed(); }
        FastRandom values;

    private:
        const std::optional<std::uint64_t>& fixed;
    };

    void setBusy(bool on);
    // Opens a message, or keeps it until the open dialog has closed.
    void showMessage(const std::string& text, MessageKind kind, Dialog as = Dialog::Message);
    Picture picture() { return {box.bits(), box.pixelWidth(), box.pixelHeight(), box.dpi()}; }
    // The picture at the screen's density, blank, the keyboard point kept in place.
    void applyDensity();
    // Gives the picture the screen's density now if nothing is drawn on it
    // and no draw runs.
    void applyDensityIfBlank();
    void showPicture() { host.screen.showPicture(picture()); }
    void showMarks();
    void movePoint(int dx, int dy);
    void pressAtKeyboardPoint(std::int16_t button);
    // Whether a key row acts where the keyboard is; what it does there:
    // whether the window took the key, or nothing for the next row to try.
    static bool actsOn(const KeyRow& row, int control);
    std::optional<bool> keyRow(const KeyRow& row, int control, KeyPress key, bool textSelected);
    void end();

    Host host;
    RasterSurface box;
    CountText sel;
    Messages messages{*this};
    Dispatcher dispatcher{messages, failureText};
    std::optional<std::uint64_t> fixedSeed;
    Random random{fixedSeed};
    PointCloud cloud{anchors, box, random, sel, dotColor};
    DrawDriver driver;
    std::optional<WakingMessengers> messengers;  // where the runtime has them
    std::uint64_t draws = 0;
    Dialog dialog = Dialog::None;
    struct Waiting {
        std::string text;
        MessageKind kind;
    };
    std::deque<Waiting> waiting;  // messages asked for while a dialog was open, in order
    bool drawing = false;      // a long draw holds the controls
    bool ended = false;
    int focus = kBox;          // the control with the keyboard focus
    int focusBeforeDraw = kBox;
    bool keyboardDriven = false;  // at start too: the user has not used the keyboard yet
    Point keyPoint;
    bool marksShown = false;
    int screenDpi = kLogicalDpi;  // the density of the screen the window is on
};

} // namespace chaos
