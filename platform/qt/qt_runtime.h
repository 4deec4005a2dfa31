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
#include <vector>

class QProgressDialog;

namespace chaos {

// The desktop's runtime, on Qt Widgets: builds a window's controls from its
// FormSpec, turns Qt's input into the window's events, and does what the
// window asks: the screen, messages, the progress dialog, the event loop's
// callbacks, saving, copying and printing, and the program's end.
class QtRuntime final : public QObject,
                        Screen,
                        Controls,
                        MessageBox,
                        ProgressView,
                        Scheduler,
                        Clock,
                        Pictures,
                        ProgramEnd {
public:
    // `dialogs` ask for the file to save and the printer, so that tests can answer them.
    explicit QtRuntime(PictureDialogs& dialogs);
    // What the desktop offers beyond every runtime's: a key that quits.
    static constexpr unsigned kOffers = kQuitKey;
    ~QtRuntime() override;

    Host host() { return {*this, *this, *this, *this, *this, *this, *this, *this}; }
    // Builds the window, whose events are `events`, with `texts` for the
    // runtime's own dialogs and failures (they must outlive the runtime).
    void build(const ShownForm& shown, const RuntimeTexts& texts, WindowEvents& events);

    QWidget* window() const { return form; }
    QWidget* control(int row) const { return controls.at(static_cast<std::size_t>(row)); }
    SurfaceWidget* surface() const { return box; }
    QProgressDialog* progressDialog() const { return dialog; }

    // Screen
    void showPicture(const Picture& picture) override;
    void showMarks(const Mark* marks, std::size_t count) override;
    // Controls
    std::string text(int control) const override;
    int chosenRow(int control) const override;
    void focus(int control) override;
    void setBusy(bool busy) override;
    std::string keyName(const std::string& key, std::int16_t shift) const override;
    unsigned offers() const override { return kOffers; }
    // MessageBox
    void show(const std::string& text, MessageKind kind) override;
    // ProgressView
    void show(const std::string& title, const std::string& text, const std::string& cancel) override;
    void update(std::uint64_t done, std::uint64_t total) override;
    void hide() override;
    // Scheduler, Clock
    void callSoon() override { soon.start(); }
    double nowMs() const override {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
    // Pictures
    void save(int command, const std::string& suggestedName, const Picture& picture) override;
    void copy(int command, const Picture& picture) override;
    void print(int command, const std::string& suggestedName, const Picture& picture) override;
    // ProgramEnd
    void end() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The row of the control a widget belongs to; -1 for the window itself
    // or a widget of another window.
    int rowOf(const QObject* object) const;
    // The widget of a row, made and placed; by kind.
    QWidget* make(const ShownForm& shown, int row);
    QWidget* makeLabel(const ShownControl& c);
    QWidget* makeSurface(int frame);
    QWidget* makeButton(const ShownControl& c, int row);
    QWidget* makeCountBox(const ShownControl& c);
    QWidget* makeList(const ShownControl& c, int row);
    void listen();
    void pictureDone(int command, const QString& where, const QString& failure);

    PictureDialogs& dialogs;
    WindowEvents* events = nullptr;  // none once the runtime is going
    const RuntimeTexts* texts = nullptr;
    QPointer<QWidget> form;
    SurfaceWidget* box = nullptr;
    std::vector<QWidget*> controls;  // by row
    QTimer soon;
    QProgressDialog* dialog = nullptr;
    QString progressText;
    QString lastSaved;  // where the picture was last saved in this run
    bool watchingScreen = false;
    enum class Menu { None, FromKey, FromRequest } menu = Menu::None;  // how the window took a Menu press, until its release
};

} // namespace chaos
