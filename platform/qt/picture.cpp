#include "platform/qt/picture.h"

#include <cerrno>

#include <unistd.h>

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

#include "platform/qt/qt_services.h"

namespace chaos {

namespace {

// Draws the picture centred at the top of the painter's page, as large as
// fits, each pixel a square of one colour: no smoothing, and no lossy
// compression where the device would compress.
void paintPicture(QPainter& painter, const QImage& picture) {
    const QRect page = painter.viewport();
    const QSize size = picture.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x() + (page.width() - size.width()) / 2, page.y(), size.width(), size.height());
    painter.setWindow(picture.rect());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    painter.drawImage(0, 0, picture);
}

// The PDF file a printer set up as "Print to File (PDF)" would write, made in
// memory with the same page, resolution and title.
QByteArray pdfOf(const QImage& picture, const QPrinter& printer) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPdfVersion(printer.pdfVersion());
    writer.setPageLayout(printer.pageLayout());
    writer.setResolution(printer.resolution());
    writer.setTitle(printer.docName());
    writer.setCreator(printer.creator());
    QPainter painter;
    if (!painter.begin(&writer))
        return {};
    paintPicture(painter, printer.colorMode() == QPrinter::GrayScale
                              ? picture.convertToFormat(QImage::Format_Grayscale8) : picture);
    if (!painter.end())
        return {};
    return buffer.data();
}

} // namespace

QString writeWholeFile(const QByteArray& bytes, const QString& path) {
    QSaveFile file(path);
    // Unbuffered, so that every write reaches the system here: a write error
    // found only when the buffer is flushed at commit() is not reported by it.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    // A short write (the disk filled up) sets no error; writing the rest then
    // fails with the reason ("No space left on device").
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return file.errorString();  // the temporary file goes with `file`
        done += written;
    }
    if (file.error() != QFileDevice::NoError || !file.flush())
        return file.errorString();
    // Some file systems (NFS) find the disk full only when the data goes to
    // it; commit() syncs too, but ignores what the sync says.
    if (::fsync(file.handle()) != 0 && errno != EINVAL && errno != EROFS)
        return qt_error_string(errno);
    if (!file.commit())
        return file.errorString();
    return {};
}

QString savePicture(const QImage& picture, const QString& path, const RuntimeTexts& texts) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QStringList exact = exactPictureSuffixes();
    if (!exact.contains(suffix))
        return QString::fromUtf8(texts.lossyFormat).arg(exact.join(", ."), suffix);
    // Encoded in memory first: an image writer reports a failing device only
    // as "Unknown error", and some report none at all.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, suffix.toLatin1());
    if (!writer.write(picture))
        return writer.errorString();
    return writeWholeFile(buffer.data(), path);
}

QString printPicture(const QImage& picture, QPrinter& printer, const RuntimeTexts& texts) {
    // Qt's own PDF output ignores write errors and would leave a cut-off file.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        const QByteArray pdf = pdfOf(picture, printer);
        if (pdf.isEmpty())
            return QString::fromUtf8(texts.noPdf);
        return writeWholeFile(pdf, printer.outputFileName());
    }
    QPainter painter;
    if (!painter.begin(&printer))
        return QString::fromUtf8(texts.printerNotStarted);
    paintPicture(painter, picture);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return QString::fromUtf8(texts.printerNotFinished);
    return {};
}

} // namespace chaos
