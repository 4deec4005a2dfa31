#pragma once

#include "platform/host.h"

#include <QByteArray>
#include <QImage>
#include <QString>

class QPrinter;

namespace chaos {

// Writes `bytes` to `path`. The file is replaced only once every byte is
// written, so a failed write leaves what was there before, and no temporary
// file. Returns why it failed, as the system says it, or an empty string.
QString writeWholeFile(const QByteArray& bytes, const QString& path);

// Writes the picture to `path` in the format its suffix names, which must be
// one that keeps every pixel; as writeWholeFile otherwise. `texts` say why
// where the system does not.
QString savePicture(const QImage& picture, const QString& path, const RuntimeTexts& texts);

// Prints the picture on one page, as large as fits with its proportions kept,
// each pixel a sharp square, without lossy compression. Printed to a PDF
// file, the file is written as writeWholeFile does. Returns why it failed, or
// an empty string.
QString printPicture(const QImage& picture, QPrinter& printer, const RuntimeTexts& texts);

} // namespace chaos
