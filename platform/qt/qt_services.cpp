#include "platform/qt/qt_services.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QImageWriter>
#include <QLocale>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>

namespace chaos {

void QtMessageBox::show(const std::string& text, MessageKind kind) {
    QMessageBox box(kind == MessageKind::Error ? QMessageBox::Warning : QMessageBox::Information,
                    kProgramName, QString::fromStdString(text), QMessageBox::Ok, parent);
    box.exec();
}

void QtProgramEnd::end() {
    QCoreApplication::exit(0);
}

QStringList writablePictureSuffixes() {
    QStringList suffixes;
    for (const QByteArray& format : QImageWriter::supportedImageFormats())
        suffixes << QString::fromLatin1(format);
    return suffixes;
}

QString QtPictureDialogs::saveFileName(QWidget* parent, const QString& suggested) {
    QStringList patterns;
    for (const QString& suffix : writablePictureSuffixes())
        patterns << "*." + suffix;
    QFileDialog dialog(parent, QCoreApplication::translate("Form2", "Save Picture"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // A name without a suffix becomes a PNG file, before the dialog checks
    // whether that file exists.
    dialog.setDefaultSuffix("png");
    dialog.setNameFilter(QCoreApplication::translate("Form2", "Pictures (%1)").arg(patterns.join(' ')));
    dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

bool QtPictureDialogs::setUpPrinter(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

QtProgressView::~QtProgressView() {
    delete dialog;
}

void QtProgressView::show(std::uint64_t totalDots) {
    total = totalDots;
    cancelled = false;
    setBusy(true);
    dialog = new QProgressDialog(window);
    dialog->setWindowTitle(kProgramName);
    dialog->setCancelButtonText(QCoreApplication::translate("Form2", kCancelText));
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setMinimumDuration(0);
    dialog->setRange(0, static_cast<int>(std::min<std::uint64_t>(total, INT_MAX)));
    // Cancel, Esc and closing the dialog all stop the draw.
    QObject::connect(dialog, &QProgressDialog::canceled, [this] { cancelled = true; });
    QObject::connect(dialog, &QDialog::rejected, [this] { cancelled = true; });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();  // so that Esc reaches it at once
}

bool QtProgressView::update(std::uint64_t done) {
    if (dialog) {
        const QLocale locale;
        dialog->setLabelText(QCoreApplication::translate("Form2", kProgressText)
                                 .arg(locale.toString(static_cast<qulonglong>(done)),
                                      locale.toString(static_cast<qulonglong>(total))));
        dialog->setValue(static_cast<int>(std::min<std::uint64_t>(done, INT_MAX)));
    }
    surface->repaint();
    QCoreApplication::processEvents();
    return !cancelled;
}

void QtProgressView::hide() {
    delete dialog;
    dialog = nullptr;
    setBusy(false);
}

} // namespace chaos
