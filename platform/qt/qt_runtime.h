#pragma once

#include "platform/form.h"
#include "platform/host.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/surface_widget.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cmath>
#include <vector>

class QKeyEvent;
class QProgressDialog;

namespace chaos {

// The desktop's runtime, on Qt Widgets: builds a window's controls from the
// form as the window shows it, turns Qt's input into the window's events,
// and does what the window asks, each service by a part of its own: the
// screen, the controls, messages, the progress dialog, the event loop's
// callbacks and clock, saving, copying and printing, and the program's end.
class QtRuntime final : public QObject {
public:
    // `dialogs` ask for the file to save and the printer, so that tests can answer them.
    explicit QtRuntime(PictureDialogs& dialogs);
    // What the desktop offers beyond every runtime's: a key that quits.
    static constexpr unsigned kOffers = kQuitKey;
    ~QtRuntime() override;

    Host host() { return {screen, formControls, messages, progress, loop, loop, pictures, ending}; }
    // Builds the window, whose events are `events`, with `texts` for the
    // runtime's own dialogs and failures (they must outlive the runtime).
    void build(const ShownForm& shown, const RuntimeTexts& texts, WindowEvents& events);

    QWidget* window() const { return form; }
    QWidget* control(int row) const { return controls.at(static_cast<std::size_t>(row)); }
    SurfaceWidget* surface() const { return box; }
    QProgressDialog* progressDialog() const { return progress.dialog; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The surface's pixels on screen.
    class SurfaceScreen final : public Screen {
    public:
        explicit SurfaceScreen(QtRuntime& runtime) : runtime(runtime) {}
        void showPicture(const Picture& picture) override;
        void showMarks(const Mark* marks, std::size_t count) override;

    private:
        QtRuntime& runtime;
    };
    // The controls' state, as the window reads and sets it.
    class FormControls final : public Controls {
    public:
        explicit FormControls(QtRuntime& runtime) : runtime(runtime) {}
        std::string text(int control) const override;
        int chosenRow(int control) const override;
        void focus(int control) override;
        void setBusy(bool busy) override;
        std::string keyName(const std::string& key, std::int16_t shift) const override;
        unsigned offers() const override { return kOffers; }

    private:
        QtRuntime& runtime;
    };
    // Message boxes, one at a time, telling their close.
    class Messages final : public MessageBox {
    public:
        explicit Messages(QtRuntime& runtime) : runtime(runtime) {}
        void show(const std::string& text, MessageKind kind) override;

    private:
        QtRuntime& runtime;
    };
    // A long draw's progress dialog.
    class Progress final : public ProgressView {
    public:
        explicit Progress(QtRuntime& runtime) : runtime(runtime) {}
        void show(const std::string& title, const std::string& text, const std::string& cancel) override;
        void update(const std::string& text, std::uint64_t done, std::uint64_t total) override;
        void hide() override;
        void close();  // at once, as the runtime goes
        QProgressDialog* dialog = nullptr;
        QString widest;  // the line its size holds

    private:
        QtRuntime& runtime;
    };
    // The event loop's callbacks and a steady clock.
    class EventLoop final : public Scheduler, public Clock {
    public:
        explicit EventLoop(QtRuntime& runtime);
        void callSoon() override { soon.start(0); }
        void callAfter(double ms) override { soon.start(static_cast<int>(std::ceil(ms))); }
        double nowMs() const override;

    private:
        QTimer soon;
    };
    // Saving, copying and printing the picture.
    class PictureCommands final : public Pictures {
    public:
        PictureCommands(QtRuntime& runtime, PictureDialogs& dialogs) : runtime(runtime), dialogs(dialogs) {}
        void save(int command, const std::string& suggestedName, const Picture& picture) override;
        void copy(int command, const Picture& picture) override;
        void print(int command, const std::string& suggestedName, const Picture& picture) override;

    private:
        void done(int command, const QString& where, const QString& failure);
        QtRuntime& runtime;
        PictureDialogs& dialogs;
        QString lastSaved;  // where the picture was last saved in this run
    };
    // The program's end.
    class Ending final : public ProgramEnd {
    public:
        explicit Ending(QtRuntime& runtime) : runtime(runtime) {}
        void end() override;

    private:
        QtRuntime& runtime;
    };

    // The row of the control a widget belongs to; -1 for the window itself
    // or a widget of another window.
    int rowOf(const QObject* object) const;
    // The widget of a row, made and placed; by kind.
    QWidget* make(const ShownForm& shown, int row);
    QWidget* makeLabel(const ShownControl& c);
    QWidget* makeSurface(const ShownForm& shown);
    QWidget* makeButton(const ShownControl& c, int row);
    QWidget* makeCountBox(const ShownControl& c);
    QWidget* makeList(const ShownControl& c, int row);
    void listen();
    void watchScreen();
    bool keyPressed(QObject* watched, QKeyEvent* event);
    bool menuRequested(QObject* watched);

    WindowEvents* events = nullptr;  // none once the runtime is going
    const RuntimeTexts* texts = nullptr;
    QPointer<QWidget> form;
    SurfaceWidget* box = nullptr;
    std::vector<QWidget*> controls;  // by row
    SurfaceScreen screen{*this};
    FormControls formControls{*this};
    Messages messages{*this};
    Progress progress{*this};
    EventLoop loop{*this};
    PictureCommands pictures;
    Ending ending{*this};
    bool watchingScreen = false;
    enum class Menu { None, FromKey, FromRequest } menu = Menu::None;  // how the window took a Menu press, until its release
};

} // namespace chaos
