#pragma once

#include <QImage>
#include <QString>

class QPrinter;

namespace chaos {

// The file name a chosen name stands for: a name without a suffix gets ".png".
QString pictureFileName(const QString& chosen);

// Writes the picture to `path` in the format its suffix names. The file is
// replaced only once every byte is written, so a failed save leaves what was
// there before. Returns why it failed, or an empty string.
QString savePicture(const QImage& picture, const QString& path);

// Prints the picture on one page, as large as fits with its proportions kept,
// each pixel a sharp square. Returns why it failed, or an empty string.
QString printPicture(const QImage& picture, QPrinter& printer);

} // namespace chaos
