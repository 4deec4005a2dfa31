#pragma once

#include <QString>
#include <QStringList>

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

} // namespace chaos
