#pragma once

#include "platform/host.h"

#include <QString>
#include <QStringList>

#include <functional>

class QPrinter;
class QWidget;

namespace chaos {

// The suffixes, without the dot, of the picture formats this Qt writes that
// keep every pixel of the picture: "png" first, then "bmp", "ppm", ...
QStringList exactPictureSuffixes();

// A chosen name without the dots it ends in ("trail." gives "trail"); a name
// of dots alone ("." or "..") stays as it is.
QString withoutTrailingDots(const QString& chosen);
// The file a chosen name stands for: without its trailing dots, and with
// `suffix` where it has none ("trail." gives "trail.png" for "png").
QString pictureFileName(const QString& chosen, const QString& suffix);

// The dialogs of the picture commands, so that tests can answer them
// instead of a modal dialog. Each opens its dialog and returns at once; the
// answer comes once the dialog has closed (or before the call returns, where
// no dialog opens).
class PictureDialogs {
public:
    virtual ~PictureDialogs() = default;
    // Asks for the file to save the picture in, starting from `suggested`;
    // `chosen` gets it, or an empty name when the user cancels. A name
    // without a suffix takes `suffix`. Asks before replacing a file.
    virtual void saveFileName(QWidget* parent, const QString& suggested, const QString& suffix, const RuntimeTexts& texts,
                              std::function<void(const QString&)> chosen) = 0;
    // Lets the user choose and set up `printer`, which must outlive the
    // dialog; `done` gets false when the user cancels.
    virtual void setUpPrinter(QWidget* parent, QPrinter& printer, std::function<void(bool)> done) = 0;
};

// Qt's own file dialog and the system's print dialog. The file dialog reads
// no file's contents (a name under /proc could block it for good), and
// explains a name too long for the folder.
class QtPictureDialogs : public PictureDialogs {
public:
    // Keeps Qt's dialogs from storing their state (last folder, view) in the
    // user's settings: this program keeps none.
    QtPictureDialogs();
    void saveFileName(QWidget* parent, const QString& suggested, const QString& suffix, const RuntimeTexts& texts,
                      std::function<void(const QString&)> chosen) override;
    void setUpPrinter(QWidget* parent, QPrinter& printer, std::function<void(bool)> done) override;
};

} // namespace chaos
