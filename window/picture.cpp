#include "window/picture.h"

#include "platform/qt/qt_services.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QPrinter>
#include <QSaveFile>

namespace chaos {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("Form2", text); }

} // namespace

QString pictureFileName(const QString& chosen) {
    return QFileInfo(chosen).suffix().isEmpty() ? chosen + ".png" : chosen;
}

QString savePicture(const QImage& picture, const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QStringList writable = writablePictureSuffixes();
    if (!writable.contains(suffix))
        return tr("pictures cannot be saved as .%1 files; use one of .%2").arg(suffix, writable.join(", ."));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QImageWriter writer(&file, suffix.toLatin1());
    if (!writer.write(picture)) {
        file.cancelWriting();
        return writer.errorString();
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

QString printPicture(const QImage& picture, QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer))
        return tr("the printer could not be started");
    const QRect page = painter.viewport();
    const QSize size = picture.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x() + (page.width() - size.width()) / 2, page.y(), size.width(), size.height());
    painter.setWindow(picture.rect());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(0, 0, picture);
    if (!painter.end())
        return tr("the printer did not finish the page");
    return {};
}

} // namespace chaos
