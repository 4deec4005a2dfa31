#pragma once

#include "platform/interfaces.h"
#include "platform/progress_watch.h"
#include "window/texts.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

class QPrinter;
class QProgressDialog;
class QShortcut;

namespace chaos {

inline constexpr const char* kProgramName = kTitle;

// A modal message box titled with the program's name, OK only.
class QtMessageBox : public MessageBox {
public:
    void setParent(QWidget* window) { parent = window; }
    void show(const std::string& text, MessageKind kind) override;

private:
    QPointer<QWidget> parent;
};

// Leaves the event loop with exit status 0; no further event is handled.
class QtProgramEnd : public ProgramEnd {
public:
    void end() override;
};

// The suffixes, without the dot, of the picture formats this Qt writes that
// keep every pixel of the picture: "png" first, then "bmp", "ppm", ...
QStringList exactPictureSuffixes();

// A chosen name without the dots it ends in ("trail." gives "trail"); a name
// of dots alone ("." or "..") stays as it is.
QString withoutTrailingDots(const QString& chosen);
// The file a chosen name stands for: without its trailing dots, and with
// ".png" where it has no suffix ("trail." gives "trail.png").
QString pictureFileName(const QString& chosen);

// The dialogs of the picture commands, so that tests can answer them
// instead of a modal dialog.
class PictureDialogs {
public:
    virtual ~PictureDialogs() = default;
    // The file to save the picture in, starting from `suggested`; empty when
    // the user cancels. Asks before replacing a file.
    virtual QString saveFileName(QWidget* parent, const QString& suggested) = 0;
    // Lets the user choose and set up a printer; false when the user cancels.
    virtual bool setUpPrinter(QWidget* parent, QPrinter& printer) = 0;
};

// Qt's own file dialog and the system's print dialog. The file dialog reads
// no file's contents (a name under /proc could block it for good), and
// explains a name too long for the folder.
class QtPictureDialogs : public PictureDialogs {
public:
    // Keeps Qt's dialogs from storing their state (last folder, view) in the
    // user's settings: this program keeps none.
    QtPictureDialogs();
    QString saveFileName(QWidget* parent, const QString& suggested) override;
    bool setUpPrinter(QWidget* parent, QPrinter& printer) override;
};

// The text of a control, read when asked.
class WidgetText : public ControlText {
public:
    explicit WidgetText(std::function<QString()> read) : read(std::move(read)) {}
    std::string Text() const override { return read().toStdString(); }

private:
    std::function<QString()> read;
};

// A progress dialog with Cancel over the window during a long draw. While
// it shows, the window's controls are switched off (setBusy), the surface
// shows the dots drawn so far, and the window system's events are handled.
class QtProgressView : public ProgressView {
public:
    QtProgressView(QWidget* window, QWidget* surface, std::function<void(bool busy)> setBusy)
        : window(window), surface(surface), setBusy(std::move(setBusy)) {}
    ~QtProgressView() override;
    QtProgressView(const QtProgressView&) = delete;
    QtProgressView& operator=(const QtProgressView&) = delete;

    void show(std::uint64_t total) override;
    bool update(std::uint64_t done) override;
    void hide() override;

    bool showing() const { return dialog != nullptr; }
    // Asks the running draw to stop at its next progress check.
    void cancel() { cancelled = true; }
    QProgressDialog* progressDialog() const { return dialog; }

private:
    QWidget* window;
    QWidget* surface;
    std::function<void(bool)> setBusy;
    QProgressDialog* dialog = nullptr;
    QShortcut* escape = nullptr;
    std::uint64_t total = 0;
    bool cancelled = false;
};

} // namespace chaos
